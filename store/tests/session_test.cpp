// Starting the engine through the library search, the start-up failures and
// their codes, the table password and its prompt.
#include "store/session.h"

#include "platform/testing/exception_message.h"
#include "store/database_error.h"
#include "store/tests/store_test_support.h"

#include <QDir>
#include <dlfcn.h>

namespace {
// An environment whose library search finds `directory` and nothing else.
QString InitMessage(const char* code) {
    return QStringLiteral(
               "An error occurred while attempting to initialize the Database Engine (error $%1)")
        .arg(QLatin1String(code));
}
} // namespace

TEST(SessionStart, MissingLibraryGivesCode2108) {
    // Once mapped by an earlier test of this process, the loader finds the
    // engine by its name whatever the search path says.
    if (void* loaded = dlopen("libdbengine.so", RTLD_LAZY | RTLD_NOLOAD)) {
        dlclose(loaded);
        GTEST_SKIP() << "the engine is already loaded in this process";
    }
    ScopedTestEnvironment env;
    const QString empty = env.Root() + QStringLiteral("/vazio");
    QDir().mkpath(empty);
    PointDllPathAt(env, empty);
    TSession session;
    const auto error =
        CaughtException<EDBEngineError>([&] { session.AddPassword(QStringLiteral("marmelada")); });
    ASSERT_TRUE(error) << "the engine started without its library";
    EXPECT_EQ(error->Message(), InitMessage("2108"));
    EXPECT_EQ(error->ErrorCode(), 0x2108);
    EXPECT_FALSE(session.Active());
    EXPECT_EQ(session.LockCount(), 0);
}

TEST(SessionStart, LibraryWithoutEntryGivesCode2A06) {
    ScopedTestEnvironment env;
    PointDllPathAt(env, QStringLiteral(NOINIT_ENGINE_DIR));
    TSession session;
    EXPECT_EQ(ExceptionMessage([&] { session.AddPassword(QStringLiteral("marmelada")); }),
              InitMessage("2A06"));
    EXPECT_FALSE(session.Active());
    EXPECT_EQ(session.LockCount(), 0);
}

TEST(SessionStart, EmptyPasswordDoesNotStartTheEngine) {
    ScopedTestEnvironment env;
    TSession session;
    session.AddPassword(QString());
    EXPECT_FALSE(session.Active());
}

TEST(SessionStart, DefaultSessionIsOneObject) {
    EXPECT_EQ(&Session(), &Session());
    EXPECT_EQ(Session().SessionName(), "Default");
}

TEST_F(StoreTest, SessionLockIsReentrantAndStartsTheEngineOnce) {
    EXPECT_FALSE(DbSession->Active());
    DbSession->LockSession();
    EXPECT_TRUE(DbSession->Active());
    DbSession->LockSession();
    EXPECT_EQ(DbSession->LockCount(), 2);
    DbSession->UnlockSession();
    DbSession->UnlockSession();
    EXPECT_EQ(DbSession->LockCount(), 0);
    EXPECT_TRUE(DbSession->Active());
}

TEST_F(StoreTest, PasswordAddedFirstOpensWithoutPrompt) {
    auto table = OpenQuestions(1);
    EXPECT_TRUE(Env.Dialogs().PasswordRequests().isEmpty());
    EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(StoreTest, PromptAnsweredWithNothingRaisesTheEngineError) {
    PrepareTables(1);
    Env.Dialogs().QueuePassword(std::nullopt);
    auto table = MakeQuestions();
    const auto error = CaughtException<EDBEngineError>([&] { table->Open(); });
    ASSERT_TRUE(error) << "a protected table opened without its password";
    EXPECT_EQ(error->ErrorCode(), DBE_ERR_NOTSUFFTABLERIGHTS);
    EXPECT_FALSE(error->Message().isEmpty());
    EXPECT_EQ(Env.Dialogs().PasswordRequests(), QStringList{QStringLiteral("QUESTOES.DB")});
    EXPECT_EQ(table->State(), dsInactive);
}

TEST_F(StoreTest, PromptAnsweredWithThePasswordOpens) {
    PrepareTables(1);
    Env.Dialogs().QueuePassword(QStringLiteral("errada"));
    Env.Dialogs().QueuePassword(QStringLiteral("marmelada"));
    auto table = MakeQuestions();
    table->Open();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(Env.Dialogs().PasswordRequests().size(), 2);
    // The password now belongs to the session: the other table asks nothing.
    auto phrases = MakePhrases();
    phrases->Open();
    EXPECT_EQ(Env.Dialogs().PasswordRequests().size(), 2);
}

TEST_F(StoreTest, OnPasswordAnswersInPlaceOfTheDialog) {
    PrepareTables(1);
    QStringList asked;
    DbSession->OnPassword = [&](const QString& table) -> std::optional<QString> {
        asked << table;
        return QStringLiteral("marmelada");
    };
    auto table = MakeQuestions();
    table->Open();
    EXPECT_EQ(asked, QStringList{QStringLiteral("QUESTOES.DB")});
    EXPECT_TRUE(Env.Dialogs().PasswordRequests().isEmpty());
}

TEST_F(StoreTest, LongPasswordIsCutTo255Characters) {
    PrepareTables();
    // Accepted by the engine (it keeps 255 characters); no failure, no crash.
    EXPECT_NO_THROW(DbSession->AddPassword(QString(400, QChar(0x00E9))));
    EXPECT_TRUE(DbSession->Active());
}

TEST_F(StoreTest, TablesUseTheDefaultSessionUnlessGivenAnother) {
    PrepareTables(1);
    Session().AddPassword(QStringLiteral("marmelada"));
    EXPECT_TRUE(Session().Active());
    TTable table(QStringLiteral("TPerguntas"));
    EXPECT_EQ(table.DBSession(), &Session());
    table.SetDatabaseName(QStringLiteral("Questoes"));
    table.SetTableName(QStringLiteral("QUESTOES.DB"));
    table.Open();
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(Session().FindDatabase(QStringLiteral("questoes")), table.Database());
    EXPECT_TRUE(Env.Dialogs().PasswordRequests().isEmpty());
}
