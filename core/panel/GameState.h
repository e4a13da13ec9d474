// The toy's one and only state: every value its handlers share, with its start value.
// Owned by the panel; nothing here is global to the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <variant>

#include "core/panel/Seams.h"
#include "core/panel/Tables.h"

namespace zarq {

class TImage;

// Columns of a speed level, in table order.
enum SpeedColumn { CycleZarq, CycleZarqFast, CycleKrev, MoveKrev, Xom2, TempoGioco3, Xom1 };

// The engine hum of the cycles, in hertz: normally, and while the speed button is held.
inline constexpr unsigned kHumNormal = 20;
inline constexpr unsigned kHumFast = 38;

using SpeedRow = Table<unsigned, 0, 6>;  // indexed by SpeedColumn
// The lattice memory of the cycle race: columns -3 .. 11, rows -3 .. 9.
using LabyrinthColumn = Table<std::int32_t, -3, 9>;
using LabyrinthGrid = Table<LabyrinthColumn, -3, 11>;

struct TGameState {
    // Power and sequencing.
    bool FirstActivation = true;
    bool PowerOn = false;
    bool GameStarted = false;
    bool PlayEnabled = false;
    bool MoveLocked = false;
    bool SpeedButtonDown = false;
    int CurrentGame = 0;
    int SpeedLevel = 0;
    unsigned EngineTone = 0;
    Table<SpeedRow, 1, 6> SpeedTable;

    // Score and lives.
    int Score = 0;
    int ScoreWraps = 0;
    int ScoreTickCount = 0;
    int ZarqLives = 0;
    int KrevLives = 0;
    int CycleKrevLives = 0;
    int DiscZarqLives = 0;
    int DiscKrevLives = 0;

    // Positions and figure state.
    int ZarqDirection = 0;
    int ZarqTurnRequest = 0;
    int KrevDirection = 0;
    int KrevCol = 0;
    int KrevRow = 0;
    int ZarqRow = 0;
    int DiscCol = 0;
    int DiscRow = 0;
    int DiscStartRow = 0;
    bool ZarqHasDisc = false;
    bool KrevHasDisc = false;

    // Step counters of the timer-driven sequences.
    int AvvioStep = 0;
    int XomPhase = 0;
    int WinCycleStep = 0;
    int MissCycleStep = 0;
    int AvvioGioco2Step = 0;
    int ZarqDiscStep = 0;
    int KrevDiscStep = 0;
    int WinDiscStep = 0;
    int MissDiscStep = 0;
    int TogliVitaStep = 0;
    int AvvioGioco3Step = 0;
    int Game3Time = 0;
    int Disc3Pos = 0;
    int BarrierState = 0;
    int Xom2Phase = 0;
    int VittoriaStep = 0;
    int Miss3Step = 0;
    bool BarrierOpen = false;

    // The cycle race.
    LabyrinthGrid Labyrinth;
    TImage* CrashImage1 = nullptr;
    TImage* CrashImage2 = nullptr;

    // The one random generator, never reseeded.
    std::uint32_t RandomSeed = 0;

    // Sound.
    bool SoundEnabled = false;
    bool SpeakerEnabled = false;
    FSOUND_SAMPLE* SndBeep = nullptr;
    FSOUND_SAMPLE* SndStart = nullptr;
    FSOUND_SAMPLE* SndTurn = nullptr;
    FSOUND_SAMPLE* SndDisc = nullptr;
    FSOUND_SAMPLE* SndWin = nullptr;
    FSOUND_SAMPLE* SndMiss1 = nullptr;
    FSOUND_SAMPLE* SndMiss2 = nullptr;
    FSOUND_SAMPLE* SndEnd = nullptr;
    FSOUND_SAMPLE* SndOver = nullptr;

    // Window dragging: the press position in the pressed control's coordinates.
    std::int32_t DragStartX = 0;
    std::int32_t DragStartY = 0;
};

// What a recording keeps of the state, beside the struct so that a member added there cannot
// be forgotten here: every member is either a recorded value below, in the order a recording
// writes them, or named with its reason in kStateNotRecorded, and the count at the end fails
// the build when a member is in neither.
struct RecordedValue {
    std::string_view Name;
    std::variant<bool TGameState::*, int TGameState::*, std::uint32_t TGameState::*> Member;
    std::int64_t Low, High;  // what the toy can leave in it when it is switched off
};
// A recording begins with the toy off: nothing running, nothing started. Lives, levels and
// counters stay within what the games give them; a hand-made start beyond them could keep a
// verification busy for days.
inline constexpr std::int64_t kRecordedOff = 0;           // the high bound of what must be off
inline constexpr std::int64_t kRecordedCounter = 10'000;  // positions, phases, sequence steps
inline constexpr std::int64_t kRecordedLives = 99;

template <typename T>
constexpr RecordedValue Recorded(std::string_view name, T TGameState::*member, std::int64_t low,
                                 std::int64_t high) {
    return {name, member, low, high};
}
#define ZARQ_RECORDED(name, low, high) Recorded(#name, &TGameState::name, low, high)
inline constexpr RecordedValue kRecordedState[] = {
    ZARQ_RECORDED(PowerOn, 0, kRecordedOff),
    ZARQ_RECORDED(GameStarted, 0, kRecordedOff),
    ZARQ_RECORDED(PlayEnabled, 0, kRecordedOff),
    ZARQ_RECORDED(MoveLocked, 0, 1),
    ZARQ_RECORDED(SpeedButtonDown, 0, 1),
    ZARQ_RECORDED(CurrentGame, 0, 3),
    ZARQ_RECORDED(SpeedLevel, 1, 6),
    ZARQ_RECORDED(EngineTone, 0, 1000),
    ZARQ_RECORDED(Score, 0, 1'000'000),
    ZARQ_RECORDED(ScoreWraps, 0, 1'000'000),
    ZARQ_RECORDED(ScoreTickCount, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(ZarqLives, 0, kRecordedLives),
    ZARQ_RECORDED(KrevLives, 0, kRecordedLives),
    ZARQ_RECORDED(CycleKrevLives, 0, kRecordedLives),
    ZARQ_RECORDED(DiscZarqLives, 0, kRecordedLives),
    ZARQ_RECORDED(DiscKrevLives, 0, kRecordedLives),
    ZARQ_RECORDED(ZarqDirection, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(ZarqTurnRequest, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(KrevDirection, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(KrevCol, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(KrevRow, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(ZarqRow, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(DiscCol, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(DiscRow, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(DiscStartRow, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(ZarqHasDisc, 0, 1),
    ZARQ_RECORDED(KrevHasDisc, 0, 1),
    ZARQ_RECORDED(AvvioStep, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(XomPhase, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(WinCycleStep, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(MissCycleStep, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(AvvioGioco2Step, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(ZarqDiscStep, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(KrevDiscStep, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(WinDiscStep, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(MissDiscStep, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(TogliVitaStep, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(AvvioGioco3Step, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(Game3Time, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(Disc3Pos, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(BarrierState, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(Xom2Phase, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(VittoriaStep, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(Miss3Step, -kRecordedCounter, kRecordedCounter),
    ZARQ_RECORDED(BarrierOpen, 0, 1),
    ZARQ_RECORDED(RandomSeed, 0, 0xFFFF'FFFFLL),
};
#undef ZARQ_RECORDED

struct NotRecorded {
    std::string_view Name;
    std::string_view Why;
};
template <typename T>
constexpr NotRecorded Unrecorded(T TGameState::*, std::string_view name, std::string_view why) {
    return {name, why};
}
#define ZARQ_NOT_RECORDED(name, why) Unrecorded(&TGameState::name, #name, why)
inline constexpr NotRecorded kStateNotRecorded[] = {
    ZARQ_NOT_RECORDED(FirstActivation, "the program's, not the toy's"),
    ZARQ_NOT_RECORDED(SpeedTable, "fixed when the panel is made"),
    ZARQ_NOT_RECORDED(Labyrinth, "kept on a line of its own"),
    ZARQ_NOT_RECORDED(CrashImage1, "set by the miss sequence before it is shown"),
    ZARQ_NOT_RECORDED(CrashImage2, "set by the miss sequence before it is shown"),
    ZARQ_NOT_RECORDED(SoundEnabled, "the player's choice, not the toy's"),
    ZARQ_NOT_RECORDED(SpeakerEnabled, "the player's choice, not the toy's"),
    ZARQ_NOT_RECORDED(SndBeep, "a sound handle"),
    ZARQ_NOT_RECORDED(SndStart, "a sound handle"),
    ZARQ_NOT_RECORDED(SndTurn, "a sound handle"),
    ZARQ_NOT_RECORDED(SndDisc, "a sound handle"),
    ZARQ_NOT_RECORDED(SndWin, "a sound handle"),
    ZARQ_NOT_RECORDED(SndMiss1, "a sound handle"),
    ZARQ_NOT_RECORDED(SndMiss2, "a sound handle"),
    ZARQ_NOT_RECORDED(SndEnd, "a sound handle"),
    ZARQ_NOT_RECORDED(SndOver, "a sound handle"),
    ZARQ_NOT_RECORDED(DragStartX, "the window's, not the toy's"),
    ZARQ_NOT_RECORDED(DragStartY, "the window's, not the toy's"),
};
#undef ZARQ_NOT_RECORDED

namespace state_detail {
// Stands for any member in a brace initialiser: the largest number of these that
// initialises the struct is its number of members.
struct AnyMember {
    template <typename T>
    constexpr operator T() const;  // never called: only asked about
};
template <typename T, typename... Given>
constexpr std::size_t MemberCount() {
    if constexpr (requires { T{Given{}..., AnyMember{}}; }) {
        return MemberCount<T, Given..., AnyMember>();
    } else {
        return sizeof...(Given);
    }
}
}  // namespace state_detail

static_assert(std::size(kRecordedState) + std::size(kStateNotRecorded) ==
                  state_detail::MemberCount<TGameState>(),
              "a member of TGameState is neither recorded nor said not to be: add it to "
              "kRecordedState or kStateNotRecorded");

}  // namespace zarq
