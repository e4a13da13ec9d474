// The "Best scores..." dialog: the session's list of the ten best plays (rank, score, date,
// speed level, stages won, length), the files on the shelf that are not listed (greyed, with
// their reason), and what can be done with a kept play: watch it in the panel, save it as a
// recording file, copy a link that opens it in the web edition, submit it to a scoreboard,
// delete it, or clear the list. Not modal: the play goes on beside it (a submission too), and
// the list follows when a play is kept.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <QUrl>
#include <functional>
#include <string>

#include "core/session/PlaySession.h"
#include "desktop/recordings/BestScoreFiles.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace zarq {

class BestScoresDialog : public QDialog {
  public:
    // `watch` plays a kept recording's text in the panel and says why not when it cannot.
    // `settings` keeps the address of the web edition or a scoreboard ("WebAddress"), the name
    // last given for the scoreboard and, per kept play, its entry there.
    BestScoresDialog(PlaySession& session, BestScoreFiles& shelf, QSettings& settings,
                     std::function<QString(const std::string& recording)> watch,
                     QWidget* parent = nullptr);
    ~BestScoresDialog() override;

    // The list shown anew from the session's, the selection kept where it can be.
    void Refresh();
    // Selects the row of `id`; false when there is none.
    bool Select(const std::string& id);

    // The buttons' actions.
    void Watch();
    void SaveAs();
    void CopyLink();
    void DeleteSelected();
    void Clear();
    // Asks for a name (the one given last offered), then sends the selected kept play.
    void Submit();
    // Sends kept play `id` under `name` to the scoreboard at the address, without waiting for
    // the answer, which the status line then says; false (said there) when it is not sent.
    bool SubmitAs(const std::string& id, const QString& name);
    bool Submitting() const { return !reply_.isNull(); }

    // `path` ("api/plays") on the scoreboard at `address`: resolved against it, fragment
    // dropped, so https://example.org/zarq/ gives https://example.org/zarq/api/plays.
    static QUrl OnScoreboard(const QString& address, const QString& path);
    // Longest time a submission may take before it is given up.
    static constexpr int kSubmitTimeoutMs = 15000;

    // The address stored, or empty; a changed one is stored when it is a web address.
    QString WebAddress() const;
    QString SetWebAddress(const QString& address);
    // What the dialog said last (a link copied, a file saved, a failure).
    QString Status() const { return status_->text(); }

  private:
    // The kept play selected, or null (none, or a dropped file).
    const BestScore* Selected() const;
    std::string SelectedId() const;
    void UpdateButtons();
    void Say(const QString& text, bool failure = false);
    // The scoreboard's answer to a submission of kept play `id`, as one sentence.
    void Answered(QNetworkReply* reply, const std::string& id, const QString& address);
    // The scoreboard's entry of kept play `id` (its id there, the place it was given, where).
    struct BoardEntry {
        qint64 Id = -1;
        int Place = 0;
        QString Address;
    };
    BoardEntry OnBoard(const std::string& id) const;

    PlaySession& session_;
    BestScoreFiles& shelf_;
    QSettings& settings_;
    std::function<QString(const std::string&)> watch_;
    QTreeWidget* list_;
    QLineEdit* address_;
    QLabel* status_;
    QPushButton* watchButton_;
    QPushButton* saveButton_;
    QPushButton* copyButton_;
    QPushButton* deleteButton_;
    QPushButton* clearButton_;
    QPushButton* submitButton_;
    QNetworkAccessManager* network_ = nullptr;
    QPointer<QNetworkReply> reply_;  // the submission under way
};

}  // namespace zarq
