// The best plays an edition keeps on one machine, each with the recording that made it, so that
// anyone can watch it again and check it. Kept on a shelf of the front end's (files in the
// user's data folder, the browser's database); the list itself is always rebuilt from what the
// shelf holds by replaying it, so a damaged or hand-edited recording is shown as dropped with
// its reason and never counted as a score.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/panel/Timers.h"

namespace zarq {

inline constexpr std::size_t kBestScoresKept = 10;

struct BestScore {
    std::string Id;         // the shelf's name for it
    std::string Recording;  // the recording's text, as kept
    std::int64_t Score = 0;
    std::string Date;         // when the play began (UTC, ISO 8601), as its recording says
    int SpeedLevel = 0;       // the highest it reached
    std::int64_t Stages = 0;  // barrier stages won
    Millis Length = 0;
};

// A recording on the shelf that is not listed, and why (one sentence).
struct DroppedScore {
    std::string Id;
    std::string Why;
};

class BestScoreShelf {
  public:
    virtual ~BestScoreShelf() = default;
    // Keeps `recording` under `id` whole and, when `dropped` is not empty, removes that one: both
    // or, when it cannot keep the new one, neither. Empty when done, otherwise why not. A shelf
    // that finishes later reports a failure by loading the list again.
    virtual std::string Keep(const std::string& id, const std::string& recording,
                             const std::string& dropped) = 0;
    virtual std::string Remove(const std::vector<std::string>& ids) = 0;
};

class BestScores {
  public:
    void SetShelf(BestScoreShelf* shelf) { shelf_ = shelf; }

    // Forgets the list, for a shelf about to be read again.
    void Reset();
    // One recording as the shelf holds it: listed when it replays to the score its end line
    // claims, otherwise dropped with the reason.
    void Load(const std::string& id, std::string_view recording);
    // The same for a recording the shelf cannot read at all.
    void LoadFailed(const std::string& id, const std::string& why);

    // A play that ended: kept when it scored and ranks among the ten best, the eleventh then
    // removed. The rank it got (1 is the best), 0 when not kept; `Error` when the shelf failed,
    // and then the list is as it was.
    struct Offered {
        int Rank = 0;
        std::string Error;
    };
    Offered Offer(const std::string& recording);

    std::string Remove(const std::string& id);
    // Removes every recording listed or dropped.
    std::string Clear();

    // Best first: the higher score, and of equal scores the earlier play.
    const std::vector<BestScore>& Entries() const { return entries_; }
    const std::vector<DroppedScore>& Dropped() const { return dropped_; }
    const BestScore* Find(const std::string& id) const;

    // The entry a recording makes, or why it makes none (it does not read or does not replay
    // to its end line).
    static std::variant<BestScore, std::string> Check(std::string_view recording);
    // The same within limits, for a checker that takes plays from anyone: a play longer than
    // `LongestPlay` (when not 0) is refused unreplayed, and `GiveUp` (when set) is asked as the
    // replay goes on and stops it when it says so.
    struct Limits {
        Millis LongestPlay = 0;
        std::function<bool()> GiveUp;
    };
    static std::variant<BestScore, std::string> Check(std::string_view recording,
                                                      const Limits& limits);
    // A name for a new recording on a shelf: its date and a digest of its text.
    static std::string NewId(const BestScore& entry);

  private:
    void Sort();

    BestScoreShelf* shelf_ = nullptr;
    std::vector<BestScore> entries_;
    std::vector<DroppedScore> dropped_;
};

}  // namespace zarq
