// The application object: the default handler's text and box, the dispatch
// guard inside a running loop, forms in creation order, the loop's end and
// the application-wide cursor.
#include "platform/ui/application.h"

#include "platform/dialogs.h"
#include "platform/exceptions.h"
#include "platform/keys.h"
#include "platform/testing/scripted_dialogs.h"
#include "platform/ui/cursors.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <ostream>
#include <stdexcept>

namespace {

struct TTextCase {
    const char* Name;
    const char* Message;
    const char* Shown;
};

void PrintTo(const TTextCase& row, std::ostream* os) {
    *os << row.Name;
}

class ExceptionText : public ::testing::TestWithParam<TTextCase> {};

TEST_P(ExceptionText, FullStopOnlyAfterCharactersSortingAfterIt) {
    const TTextCase& row = GetParam();
    EXPECT_EQ(TApplication::ExceptionMessageText(QString::fromUtf8(row.Message)),
              QString::fromUtf8(row.Shown));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ExceptionText,
    ::testing::Values(TTextCase{"Word", "Erro", "Erro."}, TTextCase{"FullStop", "Erro.", "Erro."},
                      TTextCase{"Exclamation", "Erro!", "Erro!"}, TTextCase{"Empty", "", ""},
                      TTextCase{"ClosingParenthesis", "Falha (1)", "Falha (1)"},
                      TTextCase{"Digit", "Erro 42", "Erro 42."},
                      TTextCase{"Question", "Sair?", "Sair?."},
                      TTextCase{"SpaceAtEnd", "Erro ", "Erro "},
                      TTextCase{"Accented", "Não", "Não."}),
    [](const ::testing::TestParamInfo<TTextCase>& info) { return std::string(info.param.Name); });

TEST(ApplicationHandler, ShowsMessageCaptionedWithTitleWithOkAndErrorIcon) {
    TScriptedDialogs dialogs;
    TApplication app;
    app.Initialize();
    app.SetTitle(QStringLiteral("Radoziv iv Ivaduvorir de Jogos"));

    EXPECT_TRUE(app.Dispatch([] { throw Exception(QStringLiteral("Tabela não encontrada")); }) ==
                false);

    ASSERT_EQ(dialogs.BoxCount(), 1);
    const TShownBox box = dialogs.LastBox();
    EXPECT_EQ(box.Kind, TShownBox::bkMessageBox);
    EXPECT_EQ(box.Text, QStringLiteral("Tabela não encontrada."));
    EXPECT_EQ(box.Caption, QStringLiteral("Radoziv iv Ivaduvorir de Jogos"));
    EXPECT_EQ(box.Flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(box.Flags, 16u);
}

TEST(ApplicationHandler, EmptyMessageStillShowsABox) {
    TScriptedDialogs dialogs;
    TApplication app;
    app.Initialize();
    app.Dispatch([] { throw Exception(QString()); });
    ASSERT_EQ(dialogs.BoxCount(), 1);
    EXPECT_EQ(dialogs.LastBox().Text, QString());
}

TEST(ApplicationHandler, AbortShowsNothing) {
    TScriptedDialogs dialogs;
    TApplication app;
    app.Initialize();
    bool after = false;
    EXPECT_FALSE(app.Dispatch([&] {
        Abort();
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(dialogs.BoxCount(), 0);
}

TEST(ApplicationHandler, StandardExceptionShowsItsWhat) {
    TScriptedDialogs dialogs;
    TApplication app;
    app.Initialize();
    app.Dispatch([] { throw std::runtime_error("disco cheio"); });
    ASSERT_EQ(dialogs.BoxCount(), 1);
    EXPECT_EQ(dialogs.LastBox().Text, QStringLiteral("disco cheio."));
}

TEST(ApplicationHandler, HandleCurrentExceptionReportsLikeTheGuard) {
    TScriptedDialogs dialogs;
    TApplication app;
    app.Initialize();
    try {
        throw EAbort();
    } catch (...) {
        app.HandleCurrentException();
    }
    EXPECT_EQ(dialogs.BoxCount(), 0);
    try {
        throw Exception(QStringLiteral("Erro!"));
    } catch (...) {
        app.HandleCurrentException();
    }
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Erro!")});
}

TEST(ApplicationLoop, ExceptionInTimerHandlerIsShownOnceAndLoopGoesOn) {
    TScriptedDialogs dialogs;
    TApplication app;
    app.Initialize();
    app.CreateForm<QWidget>();
    int laterTicks = 0;
    QTimer::singleShot(0, &app,
                       [&] { app.Dispatch([] { throw Exception(QStringLiteral("Falhou")); }); });
    // Runs after the failing handler: the loop must still be turning.
    QTimer later;
    QObject::connect(&later, &QTimer::timeout, &app, [&] {
        app.Dispatch([&] {
            if (++laterTicks == 3)
                app.Terminate();
        });
    });
    later.start(1);
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &app, [&] { app.Terminate(); });
    bound.start(10000);

    app.Run();

    EXPECT_EQ(laterTicks, 3);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Falhou.")});
}

// A receiver of posted events whose handler fails.
class TFailingReceiver : public QObject {
public:
    int Seen = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++Seen;
        Application->Dispatch([] { throw Exception(QStringLiteral("Mensagem")); });
        return true;
    }
};

TEST(ApplicationLoop, ExceptionInPostedMessageIsShownOnce) {
    TScriptedDialogs dialogs;
    TApplication app;
    app.Initialize();
    TFailingReceiver receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    EXPECT_EQ(receiver.Seen, 0);
    app.ProcessMessages();
    EXPECT_EQ(receiver.Seen, 1);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Mensagem.")});
}

TEST(ApplicationLoop, ExceptionEscapingAnUnguardedSlotIsStillReported) {
    TScriptedDialogs dialogs;
    TApplication app;
    app.Initialize();
    QObject target;
    QTimer::singleShot(0, &target, [] { throw Exception(QStringLiteral("Sem guarda")); });
    app.ProcessMessages();
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Sem guarda.")});
}

TEST(ApplicationForms, FirstCreatedFormIsTheMainForm) {
    TApplication app;
    app.Initialize();
    QWidget* first = app.CreateForm<QWidget>();
    QWidget* second = nullptr;
    app.CreateForm(second);
    QWidget* third = app.CreateForm<QWidget>();

    EXPECT_EQ(app.MainForm(), first);
    ASSERT_EQ(app.FormCount(), 3);
    EXPECT_EQ(app.Forms(0), first);
    EXPECT_EQ(app.Forms(1), second);
    EXPECT_EQ(app.Forms(2), third);
    EXPECT_EQ(app.Forms(3), nullptr);
    // Registering again changes nothing.
    app.RegisterForm(second);
    EXPECT_EQ(app.FormCount(), 3);
}

TEST(ApplicationForms, FormsAreDestroyedWithTheApplication) {
    QPointer<QWidget> first;
    QPointer<QWidget> second;
    {
        TApplication app;
        app.Initialize();
        first = app.CreateForm<QWidget>();
        second = app.CreateForm<QWidget>();
        delete second.data(); // a form may go early; the application copes
        EXPECT_EQ(app.Forms(1), nullptr);
        EXPECT_EQ(app.MainForm(), first.data());
    }
    EXPECT_TRUE(first.isNull());
}

TEST(ApplicationForms, GlobalApplicationIsTheFirstObjectMade) {
    {
        TApplication app;
        EXPECT_EQ(Application, &app);
        TApplication other;
        EXPECT_EQ(Application, &app);
    }
    EXPECT_EQ(Application, nullptr);
}

TEST(ApplicationRun, ShowsMainFormAndEndsWhenItCloses) {
    TApplication app;
    app.Initialize();
    QWidget* main = app.CreateForm<QWidget>();
    QWidget* hidden = app.CreateForm<QWidget>();
    bool shownInLoop = false;
    QTimer::singleShot(0, &app, [&] {
        shownInLoop = main->isVisible();
        main->close();
    });
    QTimer::singleShot(10000, &app, [&] { app.Terminate(); }); // bound only

    app.Run();

    EXPECT_TRUE(shownInLoop);
    EXPECT_FALSE(hidden->isVisible());
    EXPECT_TRUE(app.Terminated());
}

// A main form that refuses to close, as the editor does while a record is
// being entered.
class TRefusingForm : public QWidget {
public:
    int CloseRequests = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++CloseRequests;
        event->ignore();
    }
};

TEST(ApplicationRun, RefusedCloseOfMainFormKeepsRunning) {
    TApplication app;
    app.Initialize();
    auto* main = app.CreateForm<TRefusingForm>();
    bool stillRunning = false;
    QTimer::singleShot(0, &app, [&] {
        main->close();
        // Queued behind the application's own look at the refused close.
        QTimer::singleShot(0, &app, [&] {
            stillRunning = !app.Terminated() && main->isVisible();
            app.Terminate();
        });
    });
    QTimer::singleShot(10000, &app, [&] { app.Terminate(); }); // bound only

    app.Run();

    EXPECT_EQ(main->CloseRequests, 1);
    EXPECT_TRUE(stillRunning);
}

TEST(ApplicationRun, TerminatedBeforeRunReturnsAtOnce) {
    TApplication app;
    app.Initialize();
    QWidget* main = app.CreateForm<QWidget>();
    app.Terminate();
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(app.Run(), 0);
    EXPECT_FALSE(main->isVisible());
}

TEST(ApplicationServices, KeepsInstalledServicesAndFillsTheMissingOnes) {
    TScriptedDialogs dialogs;
    ASSERT_EQ(KeyboardState(), nullptr);
    {
        TApplication app;
        app.Initialize();
        EXPECT_EQ(InstalledDialogs(), &dialogs);
        EXPECT_NE(KeyboardState(), nullptr);
    }
    EXPECT_EQ(InstalledDialogs(), &dialogs);
    EXPECT_EQ(KeyboardState(), nullptr);
}

TEST(ApplicationTranslation, StandardDialogsSpeakPortugueseWhileItLives) {
    const QString qtUndo = QStringLiteral("&Undo");
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                       QStringLiteral("/qtbase_pt_BR.qm")))
        GTEST_SKIP() << "Qt's translations are not installed";
    {
        TApplication app;
        app.Initialize();
        EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Undo"), QStringLiteral("&Desfazer"));
    }
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Undo"), qtUndo);
}

TEST(ApplicationTitle, DefaultsToProgramNameUntilSet) {
    TApplication app;
    app.Initialize();
    EXPECT_EQ(app.Title(), QCoreApplication::applicationName());
    app.SetTitle(QStringLiteral("Jogos"));
    EXPECT_EQ(app.Title(), QStringLiteral("Jogos"));
}

Qt::CursorShape OverrideShape() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr ? cursor->shape() : Qt::CustomCursor;
}

TEST(ApplicationCursor, HourGlassOverridesAndDefaultRestoresBalanced) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    TApplication app;
    app.Initialize();
    EXPECT_EQ(app.Cursor(), crDefault);

    app.SetCursor(crHourGlass);
    EXPECT_EQ(app.Cursor(), crHourGlass);
    EXPECT_EQ(OverrideShape(), Qt::WaitCursor);
    app.SetCursor(crHourGlass); // the same value: no second override
    app.SetCursor(crHandPoint); // another shape replaces, not stacks
    EXPECT_EQ(OverrideShape(), Qt::PointingHandCursor);

    app.SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    app.SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(ApplicationCursor, DestroyingTheApplicationRestoresTheCursor) {
    {
        TApplication app;
        app.Initialize();
        app.SetCursor(crHourGlass);
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
