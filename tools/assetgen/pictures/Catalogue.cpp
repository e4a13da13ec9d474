// The inert panel and the picture list read from it.
#include "Catalogue.h"

#include <set>
#include <stdexcept>

namespace zarq::assetgen {

namespace {

class NoSound : public SoundLibrary {
  public:
    bool FSOUND_Init(int, int, unsigned) override { return false; }
    bool FSOUND_SetOutput(int) override { return false; }
    FSOUND_SAMPLE* FSOUND_Sample_Load(int, const char*, unsigned, int) override { return nullptr; }
    int FSOUND_PlaySound(int, FSOUND_SAMPLE*) override { return -1; }
    bool FSOUND_StopSound(int) override { return false; }
    void FSOUND_Sample_Free(FSOUND_SAMPLE*) override {}
    void FSOUND_Close() override {}
};

class NoPorts : public PortOutput {
  public:
    void out(std::uint16_t, std::uint8_t) override {}
};

class NoWindow : public WindowHost {
  public:
    TPoint ScreenSize() override { return {1024, 768}; }
    TPoint WindowPos() override { return {0, 0}; }
    void MoveWindow(int, int) override {}
    void MessageBox(const std::string&, const std::string&, MessageKind) override {}
    void Beep() override {}
    void ShellOpen(const std::string&) override {}
    void ShowOptionsDialog() override {}
};

}  // namespace

struct InertPanel::Seams {
    VirtualClock Clock;
    NoSound Sound;
    NoPorts Ports;
    NoWindow Window;
};

InertPanel::InertPanel() : seams_(std::make_unique<Seams>()) {
    form_ = std::make_unique<TForm1>(PanelSeams{seams_->Clock.Scheduler(), seams_->Sound,
                                                seams_->Ports, seams_->Window, nullptr});
}

InertPanel::~InertPanel() = default;

PictureFormat FormatOf(const std::string& key) {
    return key == "Im_Base" || key == "Puls_Speed" ? PictureFormat::Jpeg : PictureFormat::Png;
}

std::vector<PictureSpec> PictureCatalogue(const TForm1& form) {
    std::vector<PictureSpec> specs;
    std::set<std::string> seen;
    for (const auto& control : form.Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || image->Picture().empty()) continue;
        const TImage* carrier = form.FindElement(image->Picture());
        if (carrier == nullptr) {
            throw std::runtime_error(image->Name() + " shows picture " + image->Picture() +
                                     ", which no element carries");
        }
        const TRect& own = image->Bounds();
        const TRect& source = carrier->Bounds();
        if (own.Width != source.Width || own.Height != source.Height) {
            throw std::runtime_error(image->Name() + " shares the picture of " + carrier->Name() +
                                     " but has another size");
        }
        if (!seen.insert(carrier->Name()).second) continue;
        specs.push_back({carrier->Name(), source.Width, source.Height, carrier->Transparent(),
                         FormatOf(carrier->Name())});
    }
    return specs;
}

}  // namespace zarq::assetgen
