// What a test asks of an exception it expects: the exception itself, or only
// its message. Both catch one type: a call that throws nothing fails the test
// at the caller's line, and an exception of another type is not caught here,
// so it fails the test as well.
//
//     EXPECT_EQ(ExceptionMessage([&] { table->Open(); }), "TPerguntas: ...");
//     const auto error = CaughtException<EDBEngineError>([&] { table->Edit(); });
//     ASSERT_TRUE(error);
//     EXPECT_EQ(error->ErrorCode(), DBE_ERR_LOCKED);
#pragma once

#include "platform/exceptions.h"

#include <QString>
#include <gtest/gtest.h>
#include <optional>
#include <source_location>
#include <utility>

// A copy of the exception of type E that `statement` throws; nothing (and a
// failure) when it throws none.
template <class E = Exception, class F>
std::optional<E> CaughtException(F&& statement,
                                 std::source_location where = std::source_location::current()) {
    try {
        std::forward<F>(statement)();
    } catch (const E& e) {
        return e;
    }
    ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << "no exception";
    return std::nullopt;
}

// The message of the exception of type E that `statement` throws;
// "<no exception>" (and a failure) when it throws none.
template <class E = Exception, class F>
QString ExceptionMessage(F&& statement,
                         std::source_location where = std::source_location::current()) {
    const std::optional<E> caught = CaughtException<E>(std::forward<F>(statement), where);
    return caught ? caught->Message() : QStringLiteral("<no exception>");
}
