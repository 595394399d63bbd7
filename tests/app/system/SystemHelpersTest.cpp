#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "app/system/AutostartEntry.h"
#include "app/system/DesktopSystemHelpers.h"
#include "app/system/ShellQuoting.h"
#include "fakes/RecordingLog.h"

namespace pastiq {
namespace {

using testing::RecordingLog;

// Receives what QDesktopServices::openUrl would hand to the desktop.
class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    UrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
  public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeFile(const QString& path, const QByteArray& contents,
               QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() &&
           file.setPermissions(permissions);
}

// A script that records that it ran by creating `marker`.
QString writeMarkerScript(const QDir& directory, const QString& name, const QString& marker) {
    QString path = directory.filePath(name);
    const QByteArray script = "#!/bin/sh\ntouch " + posixShellQuote(marker).toUtf8() + "\n";
    writeFile(path, script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

TEST(ShellQuoting, QuotesEveryCharacterForPosixShells) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"/usr/bin/pastiq", "'/usr/bin/pastiq'"},
        {"/home/ann/it's/pastiq", "'/home/ann/it'\\''s/pastiq'"},
        {"''", "''\\'''\\'''"},
        {"", "''"},
        {"/a b/$HOME/`id`/\\", "'/a b/$HOME/`id`/\\'"},
    };
    for (const auto& [text, quoted] : cases) {
        EXPECT_EQ(posixShellQuote(text), quoted) << text.toStdString();
    }
    EXPECT_EQ(relaunchScript("/opt/it's/pastiq"), "sleep 0.5; exec '/opt/it'\\''s/pastiq'");
}

TEST(ShellQuoting, RelaunchScriptStartsAPathFullOfShellCharacters) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    QDir directory(temp.path());
    ASSERT_TRUE(directory.mkdir("it's $HOME `x` dir"));
    ASSERT_TRUE(directory.cd("it's $HOME `x` dir"));
    const QString marker = directory.filePath("ran");
    const QString script = writeMarkerScript(directory, "pastiq 'copy'", marker);

    QProcess shell;
    shell.start("/bin/sh", {"-c", relaunchScript(script)});
    ASSERT_TRUE(shell.waitForFinished(5000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(marker));
}

TEST(ShellQuoting, DesktopExecQuotingFollowsTheDesktopEntryRules) {
    const std::vector<std::pair<QString, std::optional<QString>>> cases = {
        {"/usr/bin/pastiq", "\"/usr/bin/pastiq\""},
        {"/opt/My App/pastiq", "\"/opt/My App/pastiq\""},
        {"/opt/it's/pastiq", "\"/opt/it's/pastiq\""},
        // Each escape of the quoted argument is written with its backslash doubled.
        {"/a$b", "\"/a\\\\$b\""},
        {"/a\"b", "\"/a\\\\\"b\""},
        {"/a`b", "\"/a\\\\`b\""},
        {"/a\\b", "\"/a\\\\\\\\b\""},
        {"/100%/pastiq", "\"/100%%/pastiq\""},
        {"/a\nb", std::nullopt},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(desktopExecQuote(path), expected) << path.toStdString();
    }
}

TEST(AutostartEntry, StatusFollowsTheDisablingKeysOfTheMainGroup) {
    const QString head = "[Desktop Entry]\nType=Application\nExec=pastiq\n";
    const std::vector<std::pair<QString, AutostartStatus>> cases = {
        {head, AutostartStatus::enabled},
        {"", AutostartStatus::enabled},
        {head + "Hidden=true\n", AutostartStatus::requiresApproval},
        {head + "  Hidden = true  \n", AutostartStatus::requiresApproval},
        {head + "X-GNOME-Autostart-enabled=false\n", AutostartStatus::requiresApproval},
        {head + "Hidden=false\nX-GNOME-Autostart-enabled=true\n", AutostartStatus::enabled},
        {head + "#Hidden=true\n", AutostartStatus::enabled},
        {head + "hidden=true\n", AutostartStatus::enabled},
        {head + "Hidden=True\n", AutostartStatus::enabled},
        {head + "[Desktop Action quit]\nHidden=true\n", AutostartStatus::enabled},
        {"[Other]\nHidden=true\n" + head, AutostartStatus::enabled},
        {"[Desktop Entry]\r\nHidden=true\r\n", AutostartStatus::requiresApproval},
    };
    for (const auto& [text, status] : cases) {
        EXPECT_EQ(autostartStatusOfEntry(text), status) << text.toStdString();
    }
}

TEST(AutostartEntry, WrittenEntryStartsThePathAndReadsAsEnabled) {
    const auto text = autostartEntryText("/opt/My App/pastiq");
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text->contains("\nExec=\"/opt/My App/pastiq\"\n"));
    EXPECT_EQ(autostartStatusOfEntry(*text), AutostartStatus::enabled);
    EXPECT_FALSE(autostartEntryText("/a\nb"));
}

class DesktopSystemHelpersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        locations_.appId = "io.example.Pastiq";
        locations_.executablePath = temp_.filePath("bin/pastiq");
        locations_.autostartDirectory = temp_.filePath("config/autostart");
        locations_.cacheDirectory = temp_.filePath("cache/pastiq");
    }

    DesktopSystemHelpers makeHelpers() { return DesktopSystemHelpers(log_, locations_); }
    QString entryPath() const { return locations_.autostartEntryPath(); }
    void writeEntry(const QByteArray& text) {
        ASSERT_TRUE(QDir().mkpath(locations_.autostartDirectory));
        ASSERT_TRUE(writeFile(entryPath(), text));
    }

    QTemporaryDir temp_;
    DesktopLocations locations_;
    RecordingLog log_;
};

TEST_F(DesktopSystemHelpersTest, AutostartStatusComesFromTheEntry) {
    struct Case {
        bool knowsExecutable;
        std::optional<QByteArray> entry;
        AutostartStatus status;
    };
    const std::vector<Case> cases = {
        {true, std::nullopt, AutostartStatus::notRegistered},
        {true, "[Desktop Entry]\nExec=pastiq\n", AutostartStatus::enabled},
        {true, "[Desktop Entry]\nExec=pastiq\nHidden=true\n", AutostartStatus::requiresApproval},
        {true, "[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n",
         AutostartStatus::requiresApproval},
        {false, std::nullopt, AutostartStatus::notFound},
        {false, "[Desktop Entry]\nExec=pastiq\n", AutostartStatus::notFound},
    };
    for (const auto& testCase : cases) {
        QFile::remove(entryPath());
        if (testCase.entry) {
            writeEntry(*testCase.entry);
        }
        locations_.executablePath = testCase.knowsExecutable ? temp_.filePath("bin/pastiq") : "";
        EXPECT_EQ(makeHelpers().autostartStatus(), testCase.status)
            << testCase.entry.value_or("(none)").toStdString();
    }
}

TEST_F(DesktopSystemHelpersTest, ToggleRegistersThenUnregisters) {
    locations_.executablePath = temp_.filePath("it's here/pastiq");
    auto helpers = makeHelpers();
    helpers.toggleAutostart();
    EXPECT_EQ(helpers.autostartStatus(), AutostartStatus::enabled);
    EXPECT_TRUE(
        readFile(entryPath()).contains("\nExec=\"" + temp_.filePath("it's here/pastiq") + "\"\n"));
    helpers.toggleAutostart();
    EXPECT_EQ(helpers.autostartStatus(), AutostartStatus::notRegistered);
    EXPECT_FALSE(QFile::exists(entryPath()));
    EXPECT_TRUE(log_.entries().empty());
}

TEST_F(DesktopSystemHelpersTest, ToggleRemovesAnEntryAwaitingApproval) {
    writeEntry("[Desktop Entry]\nExec=pastiq\nHidden=true\n");
    auto helpers = makeHelpers();
    helpers.toggleAutostart();
    EXPECT_FALSE(QFile::exists(entryPath()));
    EXPECT_EQ(helpers.autostartStatus(), AutostartStatus::notRegistered);
}

TEST_F(DesktopSystemHelpersTest, FailuresAreLoggedAndChangeNothing) {
    // No executable to register, and an autostart "directory" that is a plain file.
    const std::vector<std::function<void()>> breakages = {
        [this] { locations_.executablePath.clear(); },
        [this] {
            ASSERT_TRUE(QDir().mkpath(temp_.filePath("config")));
            ASSERT_TRUE(writeFile(locations_.autostartDirectory, "not a directory"));
        },
    };
    for (const auto& breakage : breakages) {
        SetUp();
        log_.clear();
        breakage();
        auto helpers = makeHelpers();
        const AutostartStatus before = helpers.autostartStatus();
        helpers.toggleAutostart();
        EXPECT_EQ(helpers.autostartStatus(), before);
        ASSERT_EQ(log_.entries().size(), 1u);
        const auto& entry = log_.entries().front();
        EXPECT_EQ(entry.level, LogLevel::error);
        EXPECT_EQ(entry.category, LogCategory::session);
        EXPECT_TRUE(entry.message.starts_with("Launch at login failed: ")) << entry.message;
    }
}

TEST_F(DesktopSystemHelpersTest, HelpOpensTheInstalledPageFirst) {
    const QString installed = temp_.filePath("share/pastiq/input-access.html");
    ASSERT_TRUE(QDir().mkpath(temp_.filePath("share/pastiq")));
    ASSERT_TRUE(writeFile(installed, "<html>installed</html>"));
    locations_.helpPageCandidates = {temp_.filePath("missing.html"), installed};
    UrlRecorder recorder;
    makeHelpers().openInputAccessHelp();
    EXPECT_EQ(recorder.opened, QList<QUrl>{QUrl::fromLocalFile(installed)});
}

TEST_F(DesktopSystemHelpersTest, HelpFallsBackToTheBundledPageWrittenToTheCache) {
    locations_.helpPageCandidates = {temp_.filePath("missing.html")};
    UrlRecorder recorder;
    makeHelpers().openInputAccessHelp();
    const QString cached = QDir(locations_.cacheDirectory).filePath("input-access.html");
    ASSERT_EQ(recorder.opened, QList<QUrl>{QUrl::fromLocalFile(cached)});
    QFile bundled(":/pastiq/input-access.html");
    ASSERT_TRUE(bundled.open(QIODevice::ReadOnly));
    EXPECT_EQ(readFile(cached), QString::fromUtf8(bundled.readAll()));
    EXPECT_TRUE(readFile(cached).contains("X11"));
}

// The test runs without a session bus, so the file manager cannot be asked.
TEST_F(DesktopSystemHelpersTest, FileManagerFallsBackToTheContainingFolder) {
    UrlRecorder recorder;
    auto helpers = makeHelpers();
    helpers.showInFileManager();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !recorder.opened.isEmpty(); }, 5000));
    EXPECT_EQ(recorder.opened, QList<QUrl>{QUrl::fromLocalFile(temp_.filePath("bin"))});
}

TEST_F(DesktopSystemHelpersTest, RelaunchStartsTheExecutableHalfASecondLater) {
    QDir directory(temp_.path());
    ASSERT_TRUE(directory.mkdir("it's"));
    ASSERT_TRUE(directory.cd("it's"));
    const QString marker = directory.filePath("relaunched");
    locations_.executablePath = writeMarkerScript(directory, "pastiq", marker);
    makeHelpers().relaunch();
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, 5000));
}

}  // namespace
}  // namespace pastiq

#include "SystemHelpersTest.moc"
