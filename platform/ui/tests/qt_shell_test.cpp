// The real shell on QDesktopServices, with URL handlers standing in for the
// browser and the mail program.
#include "platform/ui/qt_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <vector>

namespace {

class TUrlCatcher : public QObject {
    Q_OBJECT

public:
    std::vector<QUrl> Urls;

public slots:
    void Open(const QUrl& url) { Urls.push_back(url); }
};

// Routes a scheme to a catcher for the test's lifetime.
class TScopedUrlHandler {
public:
    TScopedUrlHandler(const QString& scheme, TUrlCatcher* catcher) : scheme_(scheme) {
        QDesktopServices::setUrlHandler(scheme, catcher, "Open");
    }
    ~TScopedUrlHandler() { QDesktopServices::unsetUrlHandler(scheme_); }

private:
    QString scheme_;
};

TEST(QtShell, OpensWebAndMailLinks) {
    TUrlCatcher catcher;
    TScopedUrlHandler http(QStringLiteral("http"), &catcher);
    TScopedUrlHandler mailto(QStringLiteral("mailto"), &catcher);
    TQtShell shell;

    EXPECT_GT(shell.ShellExecute(nullptr, QStringLiteral("open"),
                                 QStringLiteral("http://www.example.com.br/jogos"), QString(),
                                 QString(), SW_SHOWNORMAL),
              32);
    EXPECT_GT(shell.ShellExecute(nullptr, QStringLiteral("open"),
                                 QStringLiteral("mailto:autor@example.com.br"), QString(),
                                 QString(), SW_SHOWNORMAL),
              32);

    ASSERT_EQ(catcher.Urls.size(), 2u);
    EXPECT_EQ(catcher.Urls[0], QUrl(QStringLiteral("http://www.example.com.br/jogos")));
    EXPECT_EQ(catcher.Urls[1].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(catcher.Urls[1].path(), QStringLiteral("autor@example.com.br"));
}

TEST(QtShell, BareSchemeIsStillHandedOn) {
    TUrlCatcher catcher;
    TScopedUrlHandler http(QStringLiteral("http"), &catcher);
    TQtShell shell;
    shell.ShellExecute(nullptr, QStringLiteral("open"), QStringLiteral("http://"), QString(),
                       QString(), SW_SHOWNORMAL);
    shell.ShellExecute(nullptr, QStringLiteral("open"), QStringLiteral("http://http://x.org"),
                       QString(), QString(), SW_SHOWNORMAL);
    EXPECT_EQ(catcher.Urls.size(), 2u);
}

TEST(QtShell, LocalFileIsTakenRelativeToTheDirectory) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("leia.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    TUrlCatcher catcher;
    TScopedUrlHandler files(QStringLiteral("file"), &catcher);
    TQtShell shell;

    EXPECT_GT(shell.ShellExecute(nullptr, QString(), QStringLiteral("leia.txt"), QString(),
                                 dir.path(), SW_SHOWNORMAL),
              32);
    ASSERT_EQ(catcher.Urls.size(), 1u);
    EXPECT_EQ(catcher.Urls[0], QUrl::fromLocalFile(dir.filePath(QStringLiteral("leia.txt"))));
}

TEST(QtShell, MissingFileAndUnknownVerbFailWithoutOpening) {
    QTemporaryDir dir;
    TUrlCatcher catcher;
    TScopedUrlHandler files(QStringLiteral("file"), &catcher);
    TScopedUrlHandler http(QStringLiteral("http"), &catcher);
    TQtShell shell;

    EXPECT_EQ(shell.ShellExecute(nullptr, QStringLiteral("open"), QStringLiteral("nada.txt"),
                                 QString(), dir.path(), SW_SHOWNORMAL),
              SE_ERR_FNF);
    EXPECT_EQ(shell.ShellExecute(nullptr, QStringLiteral("print"),
                                 QStringLiteral("http://example.org"), QString(), QString(),
                                 SW_SHOWNORMAL),
              SE_ERR_NOASSOC);
    EXPECT_TRUE(catcher.Urls.empty());
}

TEST(QtShell, DriveLetterIsNoScheme) {
    EXPECT_TRUE(TQtShell::TargetUrl(QStringLiteral("C:/ZQ/x.txt"), QString()).isLocalFile());
    EXPECT_EQ(TQtShell::TargetUrl(QStringLiteral("HTTP://a.b"), QString()).scheme(),
              QStringLiteral("http"));
    EXPECT_EQ(TQtShell::TargetUrl(QStringLiteral("/tmp/a b.txt"), QStringLiteral("/x")),
              QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")));
}

} // namespace

#include "qt_shell_test.moc"
