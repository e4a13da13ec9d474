// The "Best scores..." dialog: the session's list of the ten best plays (rank, score, date,
// speed level, stages won, length), the files on the shelf that are not listed (greyed, with
// their reason), and what can be done with a kept play: watch it in the panel, save it as a
// recording file, copy a link that opens it in the web edition, delete it, or clear the list.
// Not modal: the play goes on beside it, and the list follows when a play is kept.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <functional>
#include <string>

#include "core/session/PlaySession.h"
#include "desktop/recordings/BestScoreFiles.h"

namespace zarq {

class BestScoresDialog : public QDialog {
  public:
    // `watch` plays a kept recording's text in the panel and says why not when it cannot.
    // `settings` keeps the web edition's address ("WebAddress").
    BestScoresDialog(PlaySession& session, BestScoreFiles& shelf, QSettings& settings,
                     std::function<QString(const std::string& recording)> watch,
                     QWidget* parent = nullptr);

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
};

}  // namespace zarq
