// The best scores' shelf on the desktop: one recording file per kept play, "<id>.zrec", in a
// folder of the user's data location (not the settings file). Each file is written whole (a
// temporary file renamed over it) and a new one is written before the one it pushes out is
// removed, so that nothing already kept is lost when the disk is full or the folder cannot be
// written. Which plays rank, and why a file is not listed, are the session's rules.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "core/session/BestScores.h"

namespace zarq {

class BestScoreFiles : public BestScoreShelf {
  public:
    // A file larger than this is not read: ten hours of the busiest play fit in it.
    static constexpr qint64 kFileLimit = qint64{32} << 20;
    static constexpr const char* kSuffix = ".zrec";

    explicit BestScoreFiles(QString folder) : folder_(std::move(folder)) {}

    // $XDG_DATA_HOME/Quarvel/KeldoZarq/best-scores (~/.local/share/... by default): the data
    // location of the organisation and application the settings are kept under.
    static QString DefaultFolder();

    const QString& Folder() const { return folder_; }
    QString PathOf(const std::string& id) const;

    // Forgets `scores`' list and loads every recording file of the folder into it: a file that
    // cannot be read (too large, not a regular file, unreadable) is listed as dropped with the
    // reason, as is one the session does not accept. A folder not made yet holds none.
    void LoadInto(BestScores& scores) const;

    // BestScoreShelf
    std::string Keep(const std::string& id, const std::string& recording,
                     const std::string& dropped) override;
    std::string Remove(const std::vector<std::string>& ids) override;

    // Writes `text` whole into `path` (a temporary file renamed over it); empty when done,
    // otherwise why not, in one sentence.
    static QString WriteWhole(const QString& path, const std::string& text);

  private:
    QString folder_;
};

}  // namespace zarq
