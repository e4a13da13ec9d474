// The toy's one and only state: every value its handlers share, with its start value.
// Owned by the panel; nothing here is global to the program.
#pragma once

#include <cstdint>

#include "Seams.h"
#include "Tables.h"

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

}  // namespace zarq
