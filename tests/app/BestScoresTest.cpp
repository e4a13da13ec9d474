// The best scores on the desktop, seen from outside: the files in the data folder, the dialog's
// rows and buttons, the clipboard, the program's exit codes for replay links, and what the real
// scoreboard server lists after the dialog submitted a play.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "core/record/ReplayLink.h"
#include "desktop/recordings/BestScoreFiles.h"
#include "desktop/recordings/RecordingControl.h"
#include "tests/harness/Harness.h"
#ifdef ZARQ_SCOREBOARD_PROGRAM
#include "tests/server/ScoreboardRig.h"
#endif

namespace zarq::test {
namespace {

// A play of 30 s that scores 15, switched off at its end.
std::string KnownPlay() {
    QFile file(QStringLiteral(ZARQ_CORPUS "/short_switched_off.zrec"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "the corpus recording is missing";
    return file.readAll().toStdString();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Put(const QString& path, const std::string& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(text.data(), static_cast<qint64>(text.size()));
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// One sentence: no line break, a single full stop, at its end.
void ExpectOneSentence(const std::string& text) {
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    EXPECT_EQ(text.find(". "), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with('.')) << text;
}

// ---- The shelf's files ----------------------------------------------------------------------

TEST(BestScoreShelf, KeepWritesTheNewFileWholeAndOnlyThenRemovesTheOneItPushesOut) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("data/best-scores");
    BestScoreFiles shelf(folder);
    const std::string play = KnownPlay();
    const std::string other =
        Replaced(play, "date 2026-12-07T10:57:19Z", "date 2026-12-08T09:00:00Z");

    ASSERT_EQ(shelf.Keep("eleventh", play, ""), "");  // the folder is made on the way
    ASSERT_EQ(shelf.Keep("new", other, "eleventh"), "");
    EXPECT_EQ(FilesIn(folder), QStringList{"new.zrec"}) << "no temporary file stays behind";
    EXPECT_EQ(FileBytes(folder + "/new.zrec").toStdString(), other);

    // The disk fills up while the next one is written (a file-size limit of the process): the
    // one it would push out stays, and so does no half-written file.
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    void (*xfsz)(int) = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit tight{1000, before.rlim_max};
    setrlimit(RLIMIT_FSIZE, &tight);
    const std::string full = shelf.Keep("newer", play, "new");
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, xfsz);
    ExpectOneSentence(full);
    EXPECT_NE(full.find("disk full"), std::string::npos) << full;
    EXPECT_EQ(FilesIn(folder), QStringList{"new.zrec"});
    EXPECT_EQ(FileBytes(folder + "/new.zrec").toStdString(), other);

    // A file of the same name that is not this play is never written over.
    Put(folder + "/taken.zrec", "zarq-recording 3\nfrom a newer program\n");
    ExpectOneSentence(shelf.Keep("taken", play, "new"));
    EXPECT_EQ(FileBytes(folder + "/taken.zrec"), "zarq-recording 3\nfrom a newer program\n");
    EXPECT_TRUE(QFile::exists(folder + "/new.zrec"));
}

TEST(BestScoreShelf, AFolderThatCannotBeWrittenIsOneSentenceAndTheListStaysAsItWas) {
    QTemporaryDir dir;
    Put(dir.filePath("plain-file"), "not a folder\n");
    BestScoreFiles shelf(dir.filePath("plain-file/best-scores"));
    BestScores best;
    best.SetShelf(&shelf);
    const std::string play = KnownPlay();
    best.Load("listed", play);
    ASSERT_EQ(best.Entries().size(), 1u);

    const BestScores::Offered offered =
        best.Offer(Replaced(play, "date 2026-12-07T10:57:19Z", "date 2026-12-08T09:00:00Z"));
    EXPECT_EQ(offered.Rank, 0);
    ExpectOneSentence(offered.Error);
    EXPECT_NE(offered.Error.find("plain-file"), std::string::npos) << offered.Error;
    ASSERT_EQ(best.Entries().size(), 1u);
    EXPECT_EQ(best.Entries()[0].Id, "listed");
}

// ---- The dialog ---------------------------------------------------------------------------

class BestScoresDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(Folder()));
        settings = std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat);
    }
    void TearDown() override {
        control.reset();
        window.reset();
    }
    QString Folder() const { return dir.filePath("best-scores"); }
    BestScoresDialog* Open() {
        window = std::make_unique<QWidget>();
        control = std::make_unique<RecordingControl>(rig.Session, *window);
        control->EnableBestScores(shelf, *settings);
        return control->ShowBestScores();
    }
    template <class T>
    T* Child(BestScoresDialog* dialog, const char* name) {
        T* child = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    // The list's rows as text, columns joined by '|'; a greyed row begins with '~'.
    QStringList Rows(BestScoresDialog* dialog) {
        QStringList rows;
        auto* list = Child<QTreeWidget>(dialog, "list");
        for (int i = 0; list != nullptr && i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            QStringList columns;
            for (int c = 0; c < item->columnCount(); ++c) columns << item->text(c);
            const bool grey = item->foreground(0).color() ==
                              dialog->palette().color(QPalette::Disabled, QPalette::Text);
            rows << (grey ? "~" : "") + columns.join('|');
        }
        return rows;
    }

    QTemporaryDir dir;
    std::unique_ptr<QSettings> settings;
    BestScoreFiles shelf{dir.filePath("best-scores")};
    SessionRig rig;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<RecordingControl> control;
};

TEST_F(BestScoresDialogTest, DamagedAndNewerFilesAreShownDroppedWithTheirReasonAndStay) {
    const std::string play = KnownPlay();
    const std::string damaged = Replaced(play, "521 1 key-down up", "521 1 key-down sideways");
    const std::string newer = Replaced(play, "zarq-recording 1", "zarq-recording 3");
    Put(Folder() + "/good.zrec", play);
    Put(Folder() + "/damaged.zrec", damaged);
    Put(Folder() + "/newer.zrec", newer);

    BestScoresDialog* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    const QStringList rows = Rows(dialog);
    ASSERT_EQ(rows.size(), 3) << rows.join('\n').toStdString();
    EXPECT_TRUE(rows[0].startsWith("1|15|")) << rows[0].toStdString();
    EXPECT_TRUE(rows[0].endsWith("|0:30")) << "length m:ss: " << rows[0].toStdString();
    EXPECT_TRUE(rows[1].startsWith("~damaged.zrec: not listed") && rows[1].contains("line ") &&
                rows[1].contains("sideways"))
        << rows[1].toStdString();
    EXPECT_TRUE(rows[2].startsWith("~newer.zrec: not listed") &&
                rows[2].contains("format version 3"))
        << rows[2].toStdString();

    // A play kept meanwhile joins the list in the open dialog; the dropped files are left as
    // they were, neither deleted nor written over.
    const ReadResult read = ReadRecording(play);
    ASSERT_TRUE(read.Value) << read.Error;
    for (const Step& step : read.Value->Steps) {
        rig.RunTo(step.Clock + 1000);
        if (step.Kind == StepKind::Input) rig.Session.Input().Deliver(step.Input);
    }
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    ASSERT_EQ(rig.Session.Best().Entries().size(), 2u) << "the switch-off ends a play that ranks";
    const QStringList after = Rows(dialog);
    ASSERT_EQ(after.size(), 4) << after.join('\n').toStdString();
    EXPECT_TRUE(after[1].startsWith("2|")) << after[1].toStdString();
    const BestScore& kept = rig.Session.Best().Entries()[1];
    EXPECT_EQ(FileBytes(shelf.PathOf(kept.Id)).toStdString(), kept.Recording);
    EXPECT_EQ(FileBytes(Folder() + "/damaged.zrec").toStdString(), damaged);
    EXPECT_EQ(FileBytes(Folder() + "/newer.zrec").toStdString(), newer);
    EXPECT_EQ(FileBytes(Folder() + "/good.zrec").toStdString(), play);
}

// The web edition's test opens the link this writes (ZARQ_LINK_OUT: the link, then the score).
TEST_F(BestScoresDialogTest, CopyLinkNeedsTheAddressAndPutsTheKeptFileOnTheClipboard) {
    const std::string play = KnownPlay();
    Put(Folder() + "/good.zrec", play);
    BestScoresDialog* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->Select("good"));
    auto* copy = Child<QPushButton>(dialog, "copyLink");
    auto* address = Child<QLineEdit>(dialog, "webAddress");
    ASSERT_TRUE(copy != nullptr && address != nullptr);
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_TRUE(copy->toolTip().contains("web edition's address") &&
                copy->toolTip().contains("--web-address"))
        << copy->toolTip().toStdString();

    // Not a web address: refused, said, not stored.
    address->setText("ftp://example.org/zarq/");
    emit address->editingFinished();
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_TRUE(dialog->Status().contains("not a web address")) << dialog->Status().toStdString();
    EXPECT_FALSE(settings->contains("WebAddress"));

    const QString page = "https://example.org/zarq/index.html";
    address->setText(page);
    emit address->editingFinished();
    EXPECT_EQ(settings->value("WebAddress").toString(), page);
    ASSERT_TRUE(copy->isEnabled());
    QGuiApplication::clipboard()->clear();
    copy->click();
    const std::string link = QGuiApplication::clipboard()->text().toStdString();
    ASSERT_TRUE(link.starts_with(page.toStdString() + "#play=")) << link;
    EXPECT_TRUE(dialog->Status().contains("on the clipboard")) << dialog->Status().toStdString();
    const LinkResult back = RecordingFromLink(link);
    ASSERT_TRUE(back.Value) << back.Error;
    EXPECT_EQ(*back.Value, FileBytes(Folder() + "/good.zrec").toStdString());

    // At exactly 32768 characters a link is still copied; one more and it is not.
    const std::size_t data = link.size() - static_cast<std::size_t>(page.size());
    for (const std::size_t length : {kLinkLengthLimit, kLinkLengthLimit + 1}) {
        const std::string base = "https://example.org/";
        address->setText(
            QString::fromStdString(base + std::string(length - data - base.size(), 'a')));
        emit address->editingFinished();
        QGuiApplication::clipboard()->clear();
        copy->click();
        const bool copied = QGuiApplication::clipboard()->text().size() == static_cast<int>(length);
        EXPECT_EQ(copied, length == kLinkLengthLimit) << length;
        EXPECT_EQ(dialog->Status().contains("too long to copy"), length > kLinkLengthLimit)
            << dialog->Status().toStdString();
    }

    if (const char* out = std::getenv("ZARQ_LINK_OUT")) {
        std::ofstream file(out, std::ios::binary | std::ios::trunc);
        file << link << '\n' << rig.Session.Best().Find("good")->Score << '\n';
        ASSERT_TRUE(file.good()) << out;
    }
}

// ---- Submitting to the scoreboard ----------------------------------------------------------

// The real scoreboard program refusing plays over a minute; a kept play of 30 s and a longer one.
TEST_F(BestScoresDialogTest, SubmitListsAPlayOnceSaysTheBoardsReasonAndCopiesItsShortLink) {
#ifndef ZARQ_SCOREBOARD_PROGRAM
    GTEST_SKIP() << "the scoreboard server (zarq-scoreboard) is not built in this tree (it needs "
                    "Boost, SQLite and libpq): submitting is not tested";
#else
    ScratchFolder scratch;
    ScoreboardProcess server(
        {"--database", "sqlite:" + scratch.Path() + "/s.sqlite", "--longest-play", "1"});
    ASSERT_NE(server.Port(), 0);
    const std::string port = std::to_string(server.Port());
    Put(Folder() + "/good.zrec", KnownPlay());
    Put(Folder() + "/longer.zrec", TruePlay(3));
    BestScoresDialog* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(rig.Session.Best().Find("longer"), nullptr);
    ASSERT_GT(rig.Session.Best().Find("longer")->Length, 60'000) << "the longer play is not";
    auto* submit = Child<QPushButton>(dialog, "submit");
    auto* copy = Child<QPushButton>(dialog, "copyLink");
    auto* address = Child<QLineEdit>(dialog, "webAddress");
    ASSERT_TRUE(submit != nullptr && copy != nullptr && address != nullptr);
    ASSERT_TRUE(dialog->Select("good"));
    EXPECT_FALSE(submit->isEnabled());
    EXPECT_TRUE(submit->toolTip().contains("--web-address")) << submit->toolTip().toStdString();

    const QString board = QString::fromStdString("http://127.0.0.1:" + port + "/");
    address->setText(board);
    emit address->editingFinished();
    ASSERT_TRUE(submit->isEnabled());
    // Submit asks for a name; the one given is offered next time. Answers come on the event loop.
    const auto submitAs = [&](const QString& name, const QString& offered) {
        submit->click();
        QInputDialog* ask = nullptr;
        for (QInputDialog* d : dialog->findChildren<QInputDialog*>())
            if (d->isVisible()) ask = d;
        if (ask == nullptr) return ADD_FAILURE() << "Submit asked for no name";
        EXPECT_EQ(ask->textValue().toStdString(), offered.toStdString());
        ask->setTextValue(name);
        ask->accept();
    };
    const auto answered = [&] {
        return !dialog->Submitting() && !dialog->Status().startsWith("Sending");
    };

    // 25 characters are not sent; 24 are, and nothing else goes while they are under way.
    const QString name = "Al Zarq of the long name";
    ASSERT_EQ(name.size(), 24);
    submitAs(name + "s", "");
    EXPECT_FALSE(dialog->Submitting());
    EXPECT_TRUE(dialog->Status().contains("1 to 24 characters")) << dialog->Status().toStdString();
    submitAs(name, "");
    EXPECT_TRUE(dialog->Submitting());
    EXPECT_FALSE(submit->isEnabled());
    EXPECT_FALSE(dialog->SubmitAs("longer", name)) << "a second submission at once";
    QTRY_VERIFY_WITH_TIMEOUT(answered(), 20000);
    EXPECT_EQ(dialog->Status(), "On the scoreboard at place 1.");
    EXPECT_TRUE(submit->isEnabled());
    const QStringList placed = Rows(dialog).filter("place");
    ASSERT_EQ(placed.size(), 1) << Rows(dialog).join('\n').toStdString();
    EXPECT_TRUE(placed[0].contains(QRegularExpression("^\\d+\\|15\\|.*\\|place 1$")))
        << placed[0].toStdString();
    const Reply scores = Request(server.Port(), "GET", "/api/scores");
    ASSERT_EQ(scores.Status, 200) << scores.Body;
    EXPECT_EQ(JsonField(scores.Body, "name"), "\"" + name.toStdString() + "\"") << scores.Body;
    EXPECT_EQ(JsonField(scores.Body, "score"), "15") << scores.Body;
    const std::string id = JsonField(scores.Body, "id");
    ASSERT_FALSE(id.empty()) << scores.Body;

    // Again: the entry it has, at the same place; the name given is offered.
    submitAs(name, name);
    QTRY_VERIFY_WITH_TIMEOUT(answered(), 20000);
    EXPECT_EQ(dialog->Status(), "Already on the scoreboard at place 1.");
    EXPECT_EQ(settings->value("ScoreboardName").toString(), name);

    // Copy link gives the board's short link, which the board leads on from.
    QGuiApplication::clipboard()->clear();
    copy->click();
    const std::string link = QGuiApplication::clipboard()->text().toStdString();
    EXPECT_EQ(link, board.toStdString() + "p/" + id);
    EXPECT_EQ(Request(server.Port(), "GET", "/p/" + id).Status, 302);

    // A play over the board's limit: its reason, as the board gives it to anyone.
    ASSERT_TRUE(dialog->Select("longer"));
    submitAs("Al", name);
    QTRY_VERIFY_WITH_TIMEOUT(answered(), 20000);
    const Reply refused = Request(server.Port(), "POST", "/api/plays?name=Al",
                                  rig.Session.Best().Find("longer")->Recording);
    ASSERT_EQ(refused.Status, 422) << refused.Body;
    const std::string reason = JsonField(refused.Body, "error");
    EXPECT_EQ("\"" + dialog->Status().toStdString() + "\"", reason);
    ExpectOneSentence(dialog->Status().toStdString());
    EXPECT_EQ(Rows(dialog).filter("place").size(), 1) << Rows(dialog).join('\n').toStdString();

    // The board gone: one sentence about the connection.
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
    ASSERT_TRUE(dialog->Select("good"));
    submitAs(name, "Al");
    QTRY_VERIFY_WITH_TIMEOUT(answered(), 20000);
    ExpectOneSentence(dialog->Status().toStdString());
    EXPECT_TRUE(dialog->Status().contains("connection was refused"))
        << dialog->Status().toStdString();
    EXPECT_TRUE(dialog->Status().contains(QString::fromStdString("127.0.0.1:" + port)));
#endif
}

// ---- Links on the command line ------------------------------------------------------------

TEST(BestScoresCommandLine, VerifyAndPlaybackTakeALinkAndRefuseABrokenOneWithExit2) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    const auto run = [&](const QStringList& args, QProcess& program) {
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(ZARQ_SIMULATOR), args);
        return program.waitForStarted(20000);
    };
    const std::string link = ReplayLinkAddress("https://example.org/zarq/", KnownPlay());
    {
        QProcess verify;
        ASSERT_TRUE(run({"--web-address", "https://example.org/zarq/", "--verify",
                         QString::fromStdString(link)},
                        verify));
        ASSERT_TRUE(verify.waitForFinished(20000));
        EXPECT_EQ(verify.exitCode(), 0) << verify.readAllStandardError().toStdString();
        EXPECT_TRUE(verify.readAllStandardOutput().contains("score  15\n"));
        EXPECT_TRUE(FileBytes(home.filePath("config/Quarvel/KeldoZarq.conf"))
                        .contains("WebAddress=https://example.org/zarq/"));
    }
    {
        QProcess refused;
        ASSERT_TRUE(run({"--web-address", "example.org/zarq"}, refused));
        ASSERT_TRUE(refused.waitForFinished(20000));
        EXPECT_EQ(refused.exitCode(), 2);
        EXPECT_TRUE(refused.readAllStandardError().contains("not a web address"));
    }
    // Cut short by a chat program: the stream ends before its recording does.
    const std::size_t data = link.find("#play=") + 6;
    const QString cut =
        QString::fromStdString(link.substr(0, data + (link.size() - data) / 4 * 4 - 40));
    {
        QProcess verify;
        ASSERT_TRUE(run({"--verify", cut}, verify));
        ASSERT_TRUE(verify.waitForFinished(20000));
        EXPECT_EQ(verify.exitCode(), 2);
        const std::string err = verify.readAllStandardError().toStdString();
        EXPECT_TRUE(err.starts_with("The link is cut short")) << err;
        ExpectOneSentence(err.substr(0, err.size() - 1));
    }
    {
        // The reason on standard error, then a box says it, which an ending signal closes.
        QProcess playback;
        playback.setReadChannel(QProcess::StandardError);
        ASSERT_TRUE(run({"--playback", cut}, playback));
        QByteArray err;
        while (!err.contains("The link") && playback.waitForReadyRead(20000))
            err += playback.readAllStandardError();
        EXPECT_TRUE(err.contains("\nThe link is cut short") ||
                    err.startsWith("The link is cut short"))
            << err.toStdString();
        if (playback.state() == QProcess::Running)
            ::kill(static_cast<pid_t>(playback.processId()), SIGTERM);
        ASSERT_TRUE(playback.waitForFinished(20000));
        EXPECT_EQ(playback.exitCode(), 2);
    }
}

}  // namespace
}  // namespace zarq::test
