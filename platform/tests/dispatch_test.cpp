#include "platform/dispatch.h"

#include "platform/exceptions.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <stdexcept>

namespace {

// Installs a recording handler for the test and restores the default after.
class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetExceptionHandler([this](const QString& message) { reported_ << message; });
    }
    void TearDown() override { SetExceptionHandler({}); }
    QStringList reported_;
};

TEST_F(DispatchTest, RunsTheCodeAndReportsNothingOnSuccess) {
    int runs = 0;
    EXPECT_TRUE(Dispatch([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(reported_.isEmpty());
}

TEST_F(DispatchTest, SwallowsAbortSilently) {
    EXPECT_FALSE(Dispatch([] { Abort(); }));
    EXPECT_TRUE(reported_.isEmpty());
}

TEST_F(DispatchTest, ReportsEachKindOfFailureOnce) {
    EXPECT_FALSE(Dispatch([] { throw Exception(QStringLiteral("Tabela não encontrada")); }));
    EXPECT_FALSE(Dispatch([] { throw std::runtime_error("disco cheio"); }));
    EXPECT_FALSE(Dispatch([] { throw 42; }));
    ASSERT_EQ(reported_.size(), 3);
    EXPECT_EQ(reported_[0], QStringLiteral("Tabela não encontrada"));
    EXPECT_EQ(reported_[1], QStringLiteral("disco cheio"));
    EXPECT_FALSE(reported_[2].isEmpty());
}

TEST_F(DispatchTest, AFailingHandlerDoesNotEscape) {
    SetExceptionHandler([](const QString&) { throw std::runtime_error("handler"); });
    EXPECT_NO_THROW(Dispatch([] { throw Exception(QStringLiteral("x")); }));
}

TEST_F(DispatchTest, DefaultHandlerWritesToStderr) {
    SetExceptionHandler({});
    testing::internal::CaptureStderr();
    Dispatch([] { throw Exception(QStringLiteral("Falhou")); });
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Falhou\n");
}

} // namespace
