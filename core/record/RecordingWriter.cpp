// The recording's lines as its writer puts them down, each whole with its newline.
#include <sstream>

#include "core/record/RecordingFormat.h"

namespace zarq {

using namespace format;

std::string HeaderText(const Recording& h) {
    std::ostringstream out;
    const bool atGameOver = !h.Start.Values.empty() && h.Start.Values[0] != 0;  // PowerOn
    out << kRecordingMagic << ' ' << (atGameOver ? kRecordingVersion : kRecordingFirstVersion)
        << '\n';
    out << "program " << h.Program << '\n';
    out << "date " << h.Date << '\n';
    out << "system " << h.System << '\n';
    out << "state";
    const auto& names = SnapshotNames();
    for (std::size_t i = 0; i < names.size() && i < h.Start.Values.size(); ++i) {
        out << ' ' << names[i] << '=' << h.Start.Values[i];
    }
    out << "\nintervals";
    for (unsigned interval : h.Start.Intervals) out << ' ' << interval;
    out << "\nlabyrinth";
    for (std::size_t at = 0; at < h.Start.Labyrinth.size(); ++at) {
        out << (at % kLabyrinthRows == 0 ? ' ' : ',') << h.Start.Labyrinth[at];
    }
    out << "\n# clock ticks event\n";
    return out.str();
}

std::string StepText(const Step& s) {
    std::string line = std::to_string(s.Clock) + ' ' + std::to_string(s.Ticks) + ' ';
    if (s.Kind == StepKind::HeldUp) return line + "held " + std::to_string(s.HeldUpFrom) + '\n';
    switch (s.Input.Kind) {
        case InputKind::KeyDown:
            return line + "key-down " + KeyText(s.Input.Key) + '\n';
        case InputKind::KeyUp:
            return line + "key-up " + KeyText(s.Input.Key) + '\n';
        case InputKind::SwitchOn:
            return line + "switch-on\n";
        case InputKind::SwitchOff:
            return line + "switch-off\n";
    }
    return line + '\n';
}

std::string EndText(const RecordingEnd& e) {
    return "end " + std::string(EndReasonName(e.Reason)) + " clock=" + std::to_string(e.Clock) +
           " ticks=" + std::to_string(e.Ticks) + " score=" + std::to_string(e.Score) +
           " cycles=" + std::to_string(e.Cycles) + '\n';
}

std::string_view EndReasonName(EndReason reason) {
    return kEndReasons[static_cast<std::size_t>(reason)];
}

}  // namespace zarq
