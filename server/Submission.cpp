// The checks of a submission.
#include "server/Submission.h"

#include <openssl/evp.h>

#include "core/session/BestScores.h"
#include "server/Names.h"

namespace zarq::scoreboard {

std::string Digest(std::string_view bytes) {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), md, &size, EVP_sha256(), nullptr) != 1) return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) {
        hex += kHex[md[i] >> 4];
        hex += kHex[md[i] & 15];
    }
    return hex;
}

std::optional<Refusal> CheckName(std::string_view query, std::string& name) {
    if (!QueryValue(query, "name", name)) {
        return Refusal{400, "The play needs a name: add ?name=YOUR_NAME to the address."};
    }
    const std::string problem = NameProblem(name);
    if (!problem.empty()) return Refusal{400, "The name is not taken: " + problem + "."};
    return std::nullopt;
}

std::variant<NewPlay, Refusal> CheckPlay(const std::string& name, std::string_view recording,
                                         const CheckLimits& limits, double* seconds) {
    if (recording.size() > kRecordingLargest) {
        return Refusal{413, "The recording is larger than the 256 KiB a play may have here."};
    }
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + limits.LongestCheck;
    BestScores::Limits bounds;
    bounds.LongestPlay = limits.LongestPlay;
    bounds.GiveUp = [deadline] { return std::chrono::steady_clock::now() > deadline; };
    auto checked = BestScores::Check(recording, bounds);
    if (seconds != nullptr) {
        *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (auto* why = std::get_if<std::string>(&checked)) {
        // The reader's and the replay's reasons name a line and may quote the file: kept to one
        // line of printable text.
        std::string sentence = "The play is not listed: " + *why;
        if (sentence.size() > 400) sentence = sentence.substr(0, 397) + "...";
        for (char& c : sentence) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
        }
        if (sentence.back() != '.') sentence += '.';
        return Refusal{422, sentence};
    }
    const BestScore& best = std::get<BestScore>(checked);
    if (best.Score <= 0) return Refusal{422, "The play is not listed: it scored nothing."};
    NewPlay play;
    play.Entry.Name = name;
    play.Entry.Score = best.Score;
    play.Entry.Stages = best.Stages;
    play.Entry.SpeedLevel = best.SpeedLevel;
    play.Entry.Length = best.Length;
    play.Entry.Played = best.Date;
    play.Digest = Digest(recording);
    play.Recording = std::string(recording);
    return play;
}

}  // namespace zarq::scoreboard
