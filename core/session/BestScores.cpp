// The best plays: checked by replaying, ranked, kept on the front end's shelf.
#include "core/session/BestScores.h"

#include <algorithm>
#include <cstdio>

#include "core/record/Recording.h"
#include "core/record/Verify.h"

namespace zarq {

namespace {
bool Before(const BestScore& a, const BestScore& b) {
    if (a.Score != b.Score) return a.Score > b.Score;
    if (a.Date != b.Date) return a.Date < b.Date;  // ISO dates in UTC order as text
    return a.Id < b.Id;
}
}  // namespace

std::variant<BestScore, std::string> BestScores::Check(std::string_view recording) {
    return Check(recording, Limits{});
}

std::variant<BestScore, std::string> BestScores::Check(std::string_view recording,
                                                       const Limits& limits) {
    const ReadResult read = ReadRecording(recording);
    if (!read.Value) return "it is not a recording this program reads: " + read.Error;
    if (limits.LongestPlay > 0 && read.Value->End.Clock > limits.LongestPlay) {
        return "its play lasts longer than the longest checked here (" +
               std::to_string(limits.LongestPlay / 60'000) + " min)";
    }
    const Verdict v = VerifyRecording(*read.Value, limits.GiveUp);
    if (v.Exit != kVerifyMatch && v.Message == kVerifyGivenUp)
        return "its replay took longer than a check may take here";
    if (v.Exit != kVerifyMatch) return "its play does not replay as it says: " + v.Message;
    BestScore entry;
    entry.Recording = std::string(recording);
    entry.Score = v.Outcome.Score;
    entry.Date = read.Value->Date;
    entry.SpeedLevel = v.TopSpeed;
    entry.Stages = v.Outcome.Cycles;
    entry.Length = v.Outcome.Clock;
    return entry;
}

std::string BestScores::NewId(const BestScore& entry) {
    // FNV-1a over the text: two plays that began in the same second still differ.
    std::uint32_t hash = 2166136261u;
    for (const unsigned char c : entry.Recording) hash = (hash ^ c) * 16777619u;
    std::string date;
    for (const char c : entry.Date) {
        if ((c >= '0' && c <= '9') || c == 'T' || c == 'Z') date += c;
    }
    char digest[9];
    std::snprintf(digest, sizeof digest, "%08x", hash);
    return date + '-' + digest;
}

void BestScores::Reset() {
    entries_.clear();
    dropped_.clear();
}

void BestScores::Load(const std::string& id, std::string_view recording) {
    auto checked = Check(recording);
    if (auto* why = std::get_if<std::string>(&checked)) {
        dropped_.push_back({id, *why});
        return;
    }
    BestScore entry = std::move(std::get<BestScore>(checked));
    entry.Id = id;
    entries_.push_back(std::move(entry));
    Sort();
}

void BestScores::LoadFailed(const std::string& id, const std::string& why) {
    dropped_.push_back({id, why});
}

void BestScores::Sort() {
    std::sort(entries_.begin(), entries_.end(), Before);
    // More than ten on the shelf (kept by another copy of the program meanwhile): the rest is
    // not listed, and left where it is.
    while (entries_.size() > kBestScoresKept) {
        dropped_.push_back({entries_.back().Id, "it is not among the ten best"});
        entries_.pop_back();
    }
}

BestScores::Offered BestScores::Offer(const std::string& recording) {
    auto checked = Check(recording);
    if (auto* why = std::get_if<std::string>(&checked))
        return {0, "The play could not be kept: " + *why + "."};
    BestScore entry = std::move(std::get<BestScore>(checked));
    if (entry.Score <= 0) return {};
    // Of equal scores the earlier play ranks higher.
    entry.Id = NewId(entry);
    if (std::any_of(entries_.begin(), entries_.end(),
                    [&](const BestScore& e) { return e.Recording == entry.Recording; }))
        return {};  // the same play offered again
    const auto at = std::upper_bound(entries_.begin(), entries_.end(), entry, Before);
    if (static_cast<std::size_t>(at - entries_.begin()) >= kBestScoresKept) return {};
    const std::string dropped =
        entries_.size() >= kBestScoresKept ? entries_.back().Id : std::string();
    if (shelf_ != nullptr) {
        std::string error = shelf_->Keep(entry.Id, entry.Recording, dropped);
        if (!error.empty()) return {0, "The best score could not be kept: " + error};
    }
    const int rank = static_cast<int>(at - entries_.begin()) + 1;
    entries_.insert(at, std::move(entry));
    if (entries_.size() > kBestScoresKept) entries_.pop_back();
    return {rank, {}};
}

std::string BestScores::Remove(const std::string& id) {
    if (shelf_ != nullptr) {
        std::string error = shelf_->Remove({id});
        if (!error.empty()) return error;
    }
    std::erase_if(entries_, [&](const BestScore& e) { return e.Id == id; });
    std::erase_if(dropped_, [&](const DroppedScore& d) { return d.Id == id; });
    return {};
}

std::string BestScores::Clear() {
    std::vector<std::string> ids;
    for (const BestScore& e : entries_) ids.push_back(e.Id);
    for (const DroppedScore& d : dropped_) ids.push_back(d.Id);
    if (shelf_ != nullptr && !ids.empty()) {
        std::string error = shelf_->Remove(ids);
        if (!error.empty()) return error;
    }
    Reset();
    return {};
}

const BestScore* BestScores::Find(const std::string& id) const {
    for (const BestScore& e : entries_) {
        if (e.Id == id) return &e;
    }
    return nullptr;
}

}  // namespace zarq
