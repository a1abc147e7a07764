// Character counting and cutting of string values, and the type names used
// in the mismatch message.
#include "store/field.h"

#include <gtest/gtest.h>

TEST(CutToCharacters, KeepsShortTextAndCutsLongText) {
    EXPECT_EQ(CutToCharacters(QStringLiteral("AB"), 1), "A");
    EXPECT_EQ(CutToCharacters(QStringLiteral("AB"), 5), "AB");
    EXPECT_EQ(CutToCharacters(QStringLiteral("AB"), 0), "");
    EXPECT_EQ(CutToCharacters(QStringLiteral("ação"), 2), "aç");
}

TEST(CutToCharacters, NeverSplitsASurrogatePair) {
    const QString text = QStringLiteral("\U0001F600\U0001F601z");
    EXPECT_EQ(CharacterCount(text), 3);
    EXPECT_EQ(CutToCharacters(text, 1), QStringLiteral("\U0001F600"));
    EXPECT_EQ(CutToCharacters(text, 2), QStringLiteral("\U0001F600\U0001F601"));
}

TEST(FieldTypeName, NamesOfTheTypeFamilies) {
    EXPECT_EQ(FieldTypeName(ftString), "String");
    EXPECT_EQ(FieldTypeName(ftInteger), "Integer");
    EXPECT_EQ(FieldTypeName(ftAutoInc), "AutoInc");
    EXPECT_EQ(FieldFamily(ftAutoInc), FieldFamily(ftInteger));
    EXPECT_NE(FieldFamily(ftString), FieldFamily(ftInteger));
}

TEST(TField, UnboundFieldReadsBlankAndCannotBeModified) {
    TStringField field(nullptr, QStringLiteral("Questao"), 250);
    EXPECT_TRUE(field.IsNull());
    EXPECT_EQ(field.AsString(), "");
    EXPECT_FALSE(field.CanModify());
    EXPECT_EQ(field.Size(), 250);
    EXPECT_EQ(field.Alignment(), taLeftJustify);
    EXPECT_TRUE(field.EditMask().isEmpty());
    TAutoIncField codigo(nullptr, QStringLiteral("Codigo"));
    EXPECT_TRUE(codigo.ReadOnly());
    EXPECT_EQ(codigo.DataType(), ftAutoInc);
}
