// The best scores dialog.
#include "desktop/recordings/BestScoresDialog.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "core/record/ReplayLink.h"
#include "core/session/SettingsKeys.h"
#include "desktop/start/CommandLine.h"

namespace zarq {

namespace {
constexpr int kIdRole = Qt::UserRole;
const char* const kFilter = "Zarq recordings (*.zrec);;All files (*)";

QString LengthText(Millis ms) {
    const long long seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The play's start in the local time, as the desktop writes dates.
QString DateText(const std::string& utc) {
    const QDateTime date = QDateTime::fromString(QString::fromStdString(utc), Qt::ISODate);
    if (!date.isValid()) return QString::fromStdString(utc);
    return QLocale().toString(date.toLocalTime(), QLocale::ShortFormat);
}

QString Capitalised(QString text) {
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
}

constexpr int kNameLongest = 24;  // characters, as the scoreboard counts them
constexpr int kPlaceColumn = 6;

QString Key(const char* key) {
    return QString::fromLatin1(key);
}

QString EntryKey(const std::string& id, const char* field) {
    return QStringLiteral("%1/%2/%3")
        .arg(Key(settings::kScoreboardEntries), QString::fromStdString(id), Key(field));
}

// "in 5 seconds" from a Retry-After of seconds; "later" without one.
QString RetryText(const QByteArray& header) {
    bool number = false;
    const int seconds = header.trimmed().toInt(&number);
    if (!number || seconds < 0) return QStringLiteral("later");
    return seconds == 1 ? QStringLiteral("in 1 second")
                        : QStringLiteral("in %1 seconds").arg(seconds);
}

// The scoreboard's reason for a refusal, as one sentence of plain text.
QString Reason(const QJsonObject& answer, int status) {
    QString reason = answer.value(QStringLiteral("error")).toString().simplified();
    if (reason.isEmpty() || reason.size() > 300)
        return QStringLiteral("The scoreboard refused the play (HTTP status %1).").arg(status);
    reason = Capitalised(reason);
    if (!reason.endsWith(QLatin1Char('.'))) reason += QLatin1Char('.');
    return reason;
}

// A failure to reach the scoreboard at `url`, in one sentence.
QString NetworkFailure(QNetworkReply::NetworkError error, const QUrl& url, QString detail) {
    const QString where = url.authority();
    switch (error) {
        case QNetworkReply::ConnectionRefusedError:
            return QStringLiteral("No scoreboard answers at %1: the connection was refused.")
                .arg(where);
        case QNetworkReply::HostNotFoundError:
            return QStringLiteral("The scoreboard's host %1 was not found.").arg(url.host());
        case QNetworkReply::OperationCanceledError:  // the transfer timeout ends a reply so
        case QNetworkReply::TimeoutError:
            return QStringLiteral("The scoreboard at %1 did not answer within %2 seconds.")
                .arg(where)
                .arg(BestScoresDialog::kSubmitTimeoutMs / 1000);
        case QNetworkReply::RemoteHostClosedError:
            return QStringLiteral("The scoreboard at %1 closed the connection without an answer.")
                .arg(where);
        default:
            break;
    }
    detail = detail.simplified();
    while (detail.endsWith(QLatin1Char('.'))) detail.chop(1);
    detail.replace(QStringLiteral(". "), QStringLiteral("; "));
    return QStringLiteral("The scoreboard at %1 cannot be reached (%2).").arg(where, detail);
}
}  // namespace

BestScoresDialog::~BestScoresDialog() {
    // A submission under way is dropped without an answer to a dialog that is gone.
    if (reply_) {
        disconnect(reply_, nullptr, this, nullptr);
        reply_->abort();
    }
}

BestScoresDialog::BestScoresDialog(PlaySession& session, BestScoreFiles& shelf, QSettings& settings,
                                   std::function<QString(const std::string&)> watch,
                                   QWidget* parent)
    : QDialog(parent),
      session_(session),
      shelf_(shelf),
      settings_(settings),
      watch_(std::move(watch)) {
    setWindowTitle(QStringLiteral("Best scores"));
    auto* layout = new QVBoxLayout(this);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("list"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHeaderLabels({QStringLiteral("Rank"), QStringLiteral("Score"), QStringLiteral("Date"),
                            QStringLiteral("Speed level"), QStringLiteral("Stages won"),
                            QStringLiteral("Length"), QStringLiteral("Scoreboard")});
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    list_->setMinimumSize(640, 260);
    layout->addWidget(list_);
    auto* where = new QLabel(
        QStringLiteral("Kept in %1").arg(QDir::toNativeSeparators(shelf_.Folder())), this);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    where->setEnabled(false);
    layout->addWidget(where);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const char* text, void (BestScoresDialog::*act)()) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, act);
        buttons->addWidget(b);
        return b;
    };
    watchButton_ = button("watch", "Watch", &BestScoresDialog::Watch);
    saveButton_ = button("saveAs", "Save as...", &BestScoresDialog::SaveAs);
    copyButton_ = button("copyLink", "Copy link", &BestScoresDialog::CopyLink);
    submitButton_ = button("submit", "Submit...", &BestScoresDialog::Submit);
    deleteButton_ = button("delete", "Delete", &BestScoresDialog::DeleteSelected);
    buttons->addStretch();
    clearButton_ = button("clear", "Clear...", &BestScoresDialog::Clear);
    layout->addLayout(buttons);

    auto* web = new QHBoxLayout;
    web->addWidget(new QLabel(QStringLiteral("Web edition or scoreboard address:"), this));
    address_ = new QLineEdit(WebAddress(), this);
    address_->setObjectName(QStringLiteral("webAddress"));
    address_->setPlaceholderText(QStringLiteral("https://example.org/zarq/"));
    address_->setToolTip(QStringLiteral(
        "The page of the web edition, or a scoreboard (which serves that page too): links to a "
        "kept play begin with it, and Submit sends plays to its api/"));
    connect(address_, &QLineEdit::editingFinished, this, [this] {
        if (address_->text().trimmed() == WebAddress()) return;
        const QString error = SetWebAddress(address_->text());
        if (!error.isEmpty()) Say(error, true);
    });
    web->addWidget(address_, 1);
    layout->addLayout(web);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    status_->setTextFormat(Qt::PlainText);  // a scoreboard's reason is shown as it came
    layout->addWidget(status_);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { Watch(); });
    Refresh();
}

void BestScoresDialog::Refresh() {
    const std::string selected = SelectedId();
    list_->clear();
    const BestScores& best = session_.Best();
    int rank = 0;
    for (const BestScore& entry : best.Entries()) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::number(++rank));
        item->setText(1, QString::number(entry.Score));
        item->setText(2, DateText(entry.Date));
        item->setText(3, QString::number(entry.SpeedLevel));
        item->setText(4, QString::number(entry.Stages));
        item->setText(5, LengthText(entry.Length));
        if (const BoardEntry board = OnBoard(entry.Id); board.Id >= 0) {
            item->setText(kPlaceColumn, QStringLiteral("place %1").arg(board.Place));
            item->setToolTip(kPlaceColumn,
                             QStringLiteral("Place %1 when it was submitted to %2 (entry %3)")
                                 .arg(board.Place)
                                 .arg(board.Address)
                                 .arg(board.Id));
        }
        for (const int column : {0, 1, 3, 4, 5}) item->setTextAlignment(column, Qt::AlignRight);
        item->setData(0, kIdRole, QString::fromStdString(entry.Id));
    }
    for (const DroppedScore& dropped : best.Dropped()) {
        auto* item = new QTreeWidgetItem(list_);
        const QString name = QString::fromStdString(dropped.Id) + BestScoreFiles::kSuffix;
        item->setText(
            0, QStringLiteral("%1: not listed, %2").arg(name, QString::fromStdString(dropped.Why)));
        item->setToolTip(0, item->text(0));
        item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
        item->setData(0, kIdRole, QString::fromStdString(dropped.Id));
        item->setFirstColumnSpanned(true);
    }
    if (best.Entries().empty() && best.Dropped().empty()) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QStringLiteral("No best scores yet: a play that scores is kept here."));
        item->setFlags(Qt::NoItemFlags);
        item->setFirstColumnSpanned(true);
    }
    if (!selected.empty()) Select(selected);
    UpdateButtons();
}

bool BestScoresDialog::Select(const std::string& id) {
    const QString wanted = QString::fromStdString(id);
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->data(0, kIdRole).toString() == wanted) {
            list_->setCurrentItem(item);
            item->setSelected(true);
            return true;
        }
    }
    return false;
}

std::string BestScoresDialog::SelectedId() const {
    const QList<QTreeWidgetItem*> items = list_->selectedItems();
    return items.isEmpty() ? std::string()
                           : items.front()->data(0, kIdRole).toString().toStdString();
}

const BestScore* BestScoresDialog::Selected() const {
    const std::string id = SelectedId();
    return id.empty() ? nullptr : session_.Best().Find(id);
}

QString BestScoresDialog::WebAddress() const {
    return settings_.value(QString::fromLatin1(settings::kWebAddress)).toString().trimmed();
}

QString BestScoresDialog::SetWebAddress(const QString& address) {
    const QString given = address.trimmed();
    if (given.isEmpty()) {
        settings_.remove(QString::fromLatin1(settings::kWebAddress));
    } else if (const std::string error = WebAddressError(given.toStdString()); !error.empty()) {
        UpdateButtons();
        return QStringLiteral("The web address is not kept: %1.")
            .arg(QString::fromStdString(error));
    } else {
        settings_.setValue(QString::fromLatin1(settings::kWebAddress), given);
    }
    settings_.sync();
    if (address_->text() != given) address_->setText(given);
    Say(given.isEmpty()
            ? QString()
            : QStringLiteral("Links now begin with %1, and plays are submitted there.").arg(given));
    UpdateButtons();
    return {};
}

void BestScoresDialog::UpdateButtons() {
    const bool kept = Selected() != nullptr;
    watchButton_->setEnabled(kept);
    saveButton_->setEnabled(kept);
    deleteButton_->setEnabled(!SelectedId().empty());
    clearButton_->setEnabled(!session_.Best().Entries().empty() ||
                             !session_.Best().Dropped().empty());
    const bool address = !WebAddress().isEmpty();
    const bool onBoard = kept && OnBoard(SelectedId()).Id >= 0;
    copyButton_->setEnabled(kept && (address || onBoard));
    copyButton_->setToolTip(
        onBoard   ? QStringLiteral("Copies the play's short link on the scoreboard")
        : address ? QStringLiteral("Copies a link that opens the play in the web edition")
                  : QStringLiteral("Copy link needs the web edition's address or a scoreboard's: "
                                   "enter it below, or start the program with --web-address URL"));
    submitButton_->setEnabled(kept && address && !Submitting());
    submitButton_->setToolTip(
        Submitting() ? QStringLiteral("A play is being sent: its answer comes first")
        : address    ? QStringLiteral("Sends the play to the scoreboard at %1, under a name")
                        .arg(OnScoreboard(WebAddress(), QString()).toString())
                  : QStringLiteral("Submit needs a scoreboard's address: enter it below, or "
                                   "start the program with --web-address URL"));
}

QUrl BestScoresDialog::OnScoreboard(const QString& address, const QString& path) {
    QUrl base(address.trimmed());
    base.setFragment(QString());
    return base.resolved(QUrl(path));
}

BestScoresDialog::BoardEntry BestScoresDialog::OnBoard(const std::string& id) const {
    BoardEntry entry;
    if (id.empty()) return entry;
    bool number = false;
    const qint64 board = settings_.value(EntryKey(id, "Id")).toLongLong(&number);
    if (!number || board < 0) return entry;
    entry.Id = board;
    entry.Place = settings_.value(EntryKey(id, "Place")).toInt();
    entry.Address = settings_.value(EntryKey(id, "Address")).toString();
    return entry;
}

void BestScoresDialog::Submit() {
    const BestScore* entry = Selected();
    if (entry == nullptr || Submitting() || WebAddress().isEmpty()) return;
    auto* ask = new QInputDialog(this);
    ask->setObjectName(QStringLiteral("scoreboardName"));
    ask->setAttribute(Qt::WA_DeleteOnClose);
    ask->setWindowTitle(QStringLiteral("Submit to the scoreboard"));
    ask->setLabelText(
        QStringLiteral("The play of score %1 goes on the scoreboard under your name (1 to %2 "
                       "characters):")
            .arg(entry->Score)
            .arg(kNameLongest));
    ask->setTextValue(settings_.value(Key(settings::kScoreboardName)).toString());
    connect(ask, &QInputDialog::textValueSelected, this,
            [this, id = entry->Id](const QString& name) { SubmitAs(id, name); });
    ask->open();
}

bool BestScoresDialog::SubmitAs(const std::string& id, const QString& given) {
    if (Submitting()) {
        Say(QStringLiteral("A play is being sent already: its answer comes first."), true);
        return false;
    }
    const BestScore* entry = session_.Best().Find(id);
    const QString address = WebAddress();
    if (entry == nullptr || address.isEmpty()) {
        Say(entry == nullptr ? QStringLiteral("The play is no longer kept.")
                             : QStringLiteral("Submit needs the scoreboard's address."),
            true);
        return false;
    }
    const QString name = given.trimmed();
    const auto length = name.toUcs4().size();
    if (length < 1 || length > kNameLongest) {
        Say(QStringLiteral("A name on the scoreboard has 1 to %1 characters, not %2.")
                .arg(kNameLongest)
                .arg(length),
            true);
        return false;
    }
    settings_.setValue(Key(settings::kScoreboardName), name);
    settings_.sync();

    QUrl url = OnScoreboard(address, QStringLiteral("api/plays"));
    url.setQuery(QStringLiteral("name=") + QString::fromLatin1(QUrl::toPercentEncoding(name)),
                 QUrl::StrictMode);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/plain"));
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("zarq-simulator/" ZARQ_VERSION));
    request.setRawHeader("Accept", "application/json");
    request.setTransferTimeout(kSubmitTimeoutMs);
    if (network_ == nullptr) network_ = new QNetworkAccessManager(this);
    reply_ = network_->post(request, QByteArray::fromStdString(entry->Recording));
    connect(reply_, &QNetworkReply::finished, this,
            [this, reply = reply_.data(), id, address] { Answered(reply, id, address); });
    Say(QStringLiteral("Sending the play to %1...").arg(url.authority()));
    UpdateButtons();
    return true;
}

void BestScoresDialog::Answered(QNetworkReply* reply, const std::string& id,
                                const QString& address) {
    reply->deleteLater();
    if (reply_ == reply) reply_ = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
    QString said;
    bool failure = true;
    if (status == 200 || status == 201) {
        const qint64 board = answer.value(QStringLiteral("id")).toInteger(-1);
        const int place = answer.value(QStringLiteral("rank")).toInt(0);
        if (board < 0 || place < 1) {
            said = QStringLiteral("The address answered, but not as a scoreboard does.");
        } else {
            settings_.setValue(EntryKey(id, "Id"), board);
            settings_.setValue(EntryKey(id, "Place"), place);
            settings_.setValue(EntryKey(id, "Address"), address);
            settings_.sync();
            Refresh();
            failure = false;
            said = answer.value(QStringLiteral("existing")).toBool()
                       ? QStringLiteral("Already on the scoreboard at place %1.").arg(place)
                       : QStringLiteral("On the scoreboard at place %1.").arg(place);
        }
    } else if (status == 400 || status == 413 || status == 422) {
        said = Reason(answer, status);
    } else if (status == 429) {
        said = QStringLiteral(
                   "The scoreboard takes no more plays from this address for now: try "
                   "again %1.")
                   .arg(RetryText(reply->rawHeader("Retry-After")));
    } else if (status == 503) {
        said = QStringLiteral("The scoreboard is not available now: try again %1.")
                   .arg(RetryText(reply->rawHeader("Retry-After")));
    } else if (status != 0) {
        said = QStringLiteral("The address does not answer as a scoreboard (HTTP status %1).")
                   .arg(status);
    } else {
        said = NetworkFailure(reply->error(), reply->url(), reply->errorString());
    }
    Say(said, failure);
    UpdateButtons();
}

void BestScoresDialog::Say(const QString& text, bool failure) {
    status_->setText(text);
    status_->setStyleSheet(failure ? QStringLiteral("color: #b00020") : QString());
}

void BestScoresDialog::Watch() {
    const BestScore* entry = Selected();
    if (entry == nullptr) return;
    const QString error = watch_ ? watch_(entry->Recording) : QStringLiteral("nothing plays it");
    if (!error.isEmpty()) {
        Say(QStringLiteral("The play cannot be watched: %1").arg(error), true);
        return;
    }
    close();  // the panel shows the play
}

void BestScoresDialog::SaveAs() {
    const BestScore* entry = Selected();
    if (entry == nullptr) return;
    const std::string recording = entry->Recording;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested =
        QDir(folder).filePath(QStringLiteral("zarq-best-%1.zrec").arg(entry->Score));
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save as"), suggested,
                                                      QString::fromLatin1(kFilter));
    if (path.isEmpty()) return;
    const QString error = BestScoreFiles::WriteWhole(path, recording);
    if (!error.isEmpty()) {
        Say(QStringLiteral("The recording was not saved: %1").arg(error), true);
        return;
    }
    Say(QStringLiteral("Saved as %1.").arg(QDir::toNativeSeparators(path)));
}

void BestScoresDialog::CopyLink() {
    const BestScore* entry = Selected();
    if (entry == nullptr) return;
    // On a scoreboard: its short link, which leads to the page with the play.
    if (const BoardEntry board = OnBoard(entry->Id); board.Id >= 0) {
        const QString link =
            OnScoreboard(board.Address, QStringLiteral("p/%1").arg(board.Id)).toString();
        QGuiApplication::clipboard()->setText(link);
        Say(QStringLiteral("The scoreboard's link %1 is on the clipboard.").arg(link));
        return;
    }
    const QString address = WebAddress();
    if (address.isEmpty()) return;
    const std::string link = ReplayLinkAddress(address.toStdString(), entry->Recording);
    if (link.size() > kLinkLengthLimit) {
        auto* box = new QMessageBox(
            QMessageBox::Information, QStringLiteral("Copy link"),
            QStringLiteral("The link would be %1 characters long, more than the %2 that chat "
                           "programs and address bars keep. Save the play as a file instead?")
                .arg(link.size())
                .arg(kLinkLengthLimit),
            QMessageBox::Cancel, this);
        QPushButton* save = box->addButton(QStringLiteral("Save as..."), QMessageBox::AcceptRole);
        box->setAttribute(Qt::WA_DeleteOnClose);
        connect(save, &QPushButton::clicked, this, [this] { SaveAs(); });
        box->open();
        Say(QStringLiteral("The link is too long to copy (%1 characters).").arg(link.size()), true);
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(link));
    Say(QStringLiteral("The link (%1 characters) is on the clipboard.").arg(link.size()));
}

void BestScoresDialog::DeleteSelected() {
    const std::string id = SelectedId();
    if (id.empty()) return;
    const std::string error = session_.Best().Remove(id);
    if (!error.empty()) {
        Say(Capitalised(QString::fromStdString(error)), true);
        return;
    }
    settings_.remove(
        QStringLiteral("%1/%2").arg(Key(settings::kScoreboardEntries), QString::fromStdString(id)));
    settings_.sync();
    Refresh();
    Say(QStringLiteral("Deleted."));
}

void BestScoresDialog::Clear() {
    const BestScores& best = session_.Best();
    QString text = QStringLiteral("Delete the %1 best scores").arg(best.Entries().size());
    if (!best.Dropped().empty())
        text += QStringLiteral(" and the %1 files not listed").arg(best.Dropped().size());
    text += QStringLiteral(" from %1?").arg(QDir::toNativeSeparators(shelf_.Folder()));
    if (QMessageBox::question(this, QStringLiteral("Clear best scores"), text,
                              QMessageBox::Yes | QMessageBox::Cancel,
                              QMessageBox::Cancel) != QMessageBox::Yes)
        return;
    const std::string error = session_.Best().Clear();
    if (!error.empty()) {
        // Some may be gone: the list is read again as the folder now holds it.
        shelf_.LoadInto(session_.Best());
        Refresh();
        Say(Capitalised(QString::fromStdString(error)), true);
        return;
    }
    settings_.remove(Key(settings::kScoreboardEntries));
    settings_.sync();
    Refresh();
    Say(QStringLiteral("The best scores are cleared."));
}

}  // namespace zarq
