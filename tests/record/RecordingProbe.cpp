// The recording tests' probes.
#include "tests/record/RecordingProbe.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "core/record/Recording.h"

namespace zarq::test {

std::string ToyPicture(TForm1& form, Millis origin) {
    std::ostringstream out;
    const ToySnapshot s = TakeSnapshot(form);
    const auto& names = SnapshotNames();
    for (std::size_t i = 0; i < names.size(); ++i) out << names[i] << '=' << s.Values[i] << ' ';
    out << "\nlabyrinth";
    for (std::int32_t cell : s.Labyrinth) out << ' ' << cell;
    out << "\ntimers";
    for (TTimer* t : form.Timers()) {
        out << ' ' << t->Name() << '/' << t->Interval();
        if (t->Enabled()) out << '@' << *t->DueTime() - origin;
    }
    out << "\nlit";
    for (const auto& c : form.Controls()) {
        if (c->Visible()) out << ' ' << c->Name();
    }
    out << "\ndigits";
    for (int i = 1; i <= 4; ++i) out << ' ' << form.DigitPos[i]->Picture();
    return out.str();
}

TempFile::TempFile(const std::string& stem) {
    static int serial = 0;
    // Compiled to wasm every test process has the same pid: a random part keeps tests that run
    // side by side apart.
    static const unsigned salt = std::random_device{}();
    path_ = (std::filesystem::temp_directory_path() /
             (stem + "-" + std::to_string(::getpid()) + "-" + std::to_string(salt) + "-" +
              std::to_string(++serial) + ".txt"))
                .string();
}

TempFile::~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

std::string TempFile::Read() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void TempFile::Write(const std::string& text) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << text;
}

}  // namespace zarq::test
