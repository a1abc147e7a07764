// The texts of store and engine failures.
#include "store/database_error.h"

#include "platform/testing/exception_message.h"

#include <gtest/gtest.h>

TEST(EngineErrorMessage, TextThenEachDistinctContextLine) {
    EXPECT_EQ(
        EngineErrorMessage(0x2901, QStringLiteral("Record locked by another user."),
                           {QStringLiteral("Table: /x/QUESTOES.DB"),
                            QStringLiteral("Record locked by another user."),
                            QStringLiteral("Record: 2"), QStringLiteral("Table: /x/QUESTOES.DB")}),
        "Record locked by another user.\nTable: /x/QUESTOES.DB\nRecord: 2");
}

TEST(EngineErrorMessage, TextAlone) {
    EXPECT_EQ(EngineErrorMessage(0x2A01, QStringLiteral("Unknown database."), {}),
              "Unknown database.");
}

TEST(EngineErrorMessage, ContextWithoutText) {
    EXPECT_EQ(EngineErrorMessage(0x2104, QString(), {QStringLiteral("Table: T")}), "Table: T");
}

TEST(EngineErrorMessage, NoTextAtAllNamesTheCodeInFourHexDigits) {
    EXPECT_EQ(EngineErrorMessage(0x2A0B, QString(), {}), "Engine error $2A0B");
    EXPECT_EQ(EngineErrorMessage(0x21, QString(), {QString()}), "Engine error $0021");
}

TEST(DatabaseError, PrefixesTheComponentName) {
    EXPECT_EQ(ExceptionMessage<EDatabaseError>([] {
                  DatabaseError(QStringLiteral("Missing TableName property"),
                                QStringLiteral("TPerguntas"));
              }),
              "TPerguntas: Missing TableName property");
    EXPECT_EQ(ExceptionMessage<EDatabaseError>(
                  [] { DatabaseError(QStringLiteral("Field 'Codigo' cannot be modified")); }),
              "Field 'Codigo' cannot be modified");
}

TEST(EDBEngineError, KeepsItsErrorList) {
    const EDBEngineError error(0x2901, {TDBError(0x2901, 7, QStringLiteral("locked"))},
                               QStringLiteral("locked"));
    ASSERT_EQ(error.ErrorCount(), 1);
    EXPECT_EQ(error.Errors(0).ErrorCode(), 0x2901);
    EXPECT_EQ(error.Errors(0).Category(), 0x29);
    EXPECT_EQ(error.Errors(0).SubCode(), 0x01);
    EXPECT_EQ(error.Errors(0).NativeError(), 7);
    EXPECT_EQ(error.Message(), "locked");
}
