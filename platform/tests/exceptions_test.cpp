#include "platform/exceptions.h"

#include <gtest/gtest.h>

TEST(Exception, CarriesItsMessageAsUtf8) {
    const Exception e(QStringLiteral("Questões"));
    EXPECT_EQ(e.Message(), QStringLiteral("Questões"));
    EXPECT_STREQ(e.what(), "Questões");
}

TEST(Exception, AbortThrowsEAbort) {
    EXPECT_THROW(Abort(), EAbort);
}
