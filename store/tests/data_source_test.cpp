// Data events from the table through its data source to the links: their
// order, the active and editing flags, binding by field name, AutoEdit, the
// write-back on Post and the focus request of the required-field check.
#include "store/data_source.h"

#include "platform/testing/exception_message.h"
#include "store/database_error.h"
#include "store/field.h"
#include "store/field_data_link.h"
#include "store/tests/store_test_support.h"

namespace {
class TFakeControl : public TDataLinkControl {
public:
    explicit TFakeControl(QString name) : name_(std::move(name)) {}
    QString Name() const override { return name_; }
    bool CanFocus() const override { return Focusable; }
    void SetFocus() override { ++FocusRequests; }
    bool Focusable = true;
    int FocusRequests = 0;

private:
    QString name_;
};

// An editor's side of a field link: it logs what it is told and keeps the
// text it would show.
struct TFakeEditor {
    TFakeEditor(const QString& name, TDataSource* source, const QString& fieldName)
        : Control(name) {
        Link.SetControl(&Control);
        Link.OnDataChange = [this](TFieldDataLink* link) {
            Shown = link->Field() ? link->Field()->Text() : QString();
            Log.push_back("data " + Shown.toStdString());
        };
        Link.OnEditingChange = [this](TFieldDataLink* link) {
            Log.push_back(link->Editing() ? "editing" : "read-only");
        };
        Link.OnUpdateData = [this](TFieldDataLink* link) {
            Log.push_back("update");
            link->Field()->SetAsString(Typed);
        };
        Link.OnActiveChange = [this](TFieldDataLink* link) {
            Log.push_back(link->Active() ? "active" : "inactive");
        };
        Link.SetFieldName(fieldName);
        Link.SetDataSource(source);
    }
    void Type(const QString& text) {
        if (!Link.Edit())
            return;
        Typed = text;
        Link.Modified();
    }

    TFakeControl Control;
    TFieldDataLink Link;
    std::vector<std::string> Log;
    QString Shown;
    QString Typed;
};

using Log = std::vector<std::string>;
} // namespace

TEST_F(StoreTest, FieldLinkFollowsOpenEditPostAndClose) {
    PrepareTables(2);
    AddPassword();
    auto table = MakeQuestions();
    TDataSource source(QStringLiteral("DSPerguntas"));
    source.SetAutoEdit(false);
    source.SetDataSet(table.get());
    TFakeEditor memo(QStringLiteral("DBMemo1"), &source, QStringLiteral("Questao"));
    EXPECT_FALSE(memo.Link.Active());
    EXPECT_EQ(memo.Link.Field(), nullptr);

    table->Open();
    EXPECT_EQ(source.State(), dsBrowse);
    EXPECT_EQ(memo.Log, (Log{"data Questao 1", "active"}));
    EXPECT_TRUE(memo.Link.Active());
    EXPECT_FALSE(memo.Link.Editing());

    // AutoEdit off: typing cannot start an edit.
    memo.Log.clear();
    memo.Type(QStringLiteral("ignorado"));
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_FALSE(memo.Link.IsModified());
    EXPECT_TRUE(memo.Log.empty());

    source.SetAutoEdit(true);
    memo.Type(QStringLiteral("texto digitado"));
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(memo.Log, (Log{"editing", "data Questao 1"}));
    EXPECT_TRUE(memo.Link.IsModified());

    // Post asks the editor for its pending text first.
    memo.Log.clear();
    table->Post();
    EXPECT_EQ(memo.Log, (Log{"update", "read-only", "data texto digitado"}));
    EXPECT_FALSE(memo.Link.IsModified());
    EXPECT_EQ(table->FieldByName(QStringLiteral("Questao"))->AsString(), "texto digitado");

    memo.Log.clear();
    table->Next();
    EXPECT_EQ(memo.Log, (Log{"data Questao 2"}));

    memo.Log.clear();
    table->Close();
    EXPECT_EQ(memo.Log, (Log{"data ", "inactive"}));
    EXPECT_EQ(memo.Link.Field(), nullptr);
    EXPECT_EQ(source.State(), dsInactive);
}

TEST_F(StoreTest, MovingWithTypedTextSavesItFirst) {
    PrepareTables(0, {{"a", "1"}, {"b", "2"}});
    AddPassword();
    auto table = MakePhrases();
    TDataSource source(QStringLiteral("DSFrases"));
    source.SetDataSet(table.get());
    TFakeEditor edit(QStringLiteral("DBEdit1"), &source, QStringLiteral("Correta"));
    table->Open();
    edit.Type(QStringLiteral("digitada"));
    ASSERT_EQ(table->State(), dsEdit);
    table->Next();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(edit.Shown, "b");
    table->Prior();
    EXPECT_EQ(edit.Shown, "digitada");
}

TEST_F(StoreTest, TypingIntoAnEmptyPhrasesTableStartsAnInsert) {
    PrepareTables();
    AddPassword();
    auto table = MakePhrases();
    TDataSource source;
    source.SetDataSet(table.get());
    TFakeEditor edit(QStringLiteral("DBEdit1"), &source, QStringLiteral("Correta"));
    table->Open();
    edit.Type(QStringLiteral("x"));
    EXPECT_EQ(table->State(), dsInsert);
    EXPECT_TRUE(edit.Link.Editing());
    table->Post();
    EXPECT_EQ(table->RecNo(), 1);
    EXPECT_EQ(edit.Shown, "x");
}

TEST_F(StoreTest, LinkToAMissingFieldFailsWithTheEditorNameAndOthersStillBind) {
    PrepareTables(1);
    AddPassword();
    auto table = MakeQuestions();
    TDataSource source;
    source.SetDataSet(table.get());
    TFakeEditor broken(QStringLiteral("DBMemo9"), &source, QStringLiteral("Nada"));
    TFakeEditor memo(QStringLiteral("DBMemo1"), &source, QStringLiteral("Questao"));
    EXPECT_EQ(ExceptionMessage([&] { table->Open(); }), "DBMemo9: Field 'Nada' not found");
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(memo.Shown, "Questao 1");
    EXPECT_EQ(memo.Link.Field(), table->FieldByName(QStringLiteral("Questao")));
}

TEST_F(StoreTest, DataEventsArriveInTheirOrder) {
    PrepareTables(2);
    AddPassword();
    auto table = MakeQuestions();
    TDataSource source;
    int stateChanges = 0;
    source.OnStateChange = [&](TDataSource*) { ++stateChanges; };
    source.SetDataSet(table.get());
    TRecordingLink link;
    link.SetDataSource(&source);
    table->Open();
    EXPECT_EQ(link.Log, (Log{"active"}));
    EXPECT_EQ(stateChanges, 1);

    link.Clear();
    table->Insert();
    EXPECT_EQ(link.Log, (Log{"check", "editing", "changed"}));
    EXPECT_EQ(source.State(), dsInsert);

    link.Clear();
    table->FieldByName(QStringLiteral("Questao"))->SetAsString(QStringLiteral("q"));
    EXPECT_EQ(link.Log, (Log{"record Questao"}));

    link.Clear();
    table->Post();
    EXPECT_EQ(link.Log, (Log{"update", "check", "browsing", "changed"}));

    link.Clear();
    table->Edit();
    EXPECT_EQ(link.Log, (Log{"check", "editing", "record"}));

    link.Clear();
    table->Cancel();
    EXPECT_EQ(link.Log, (Log{"check", "browsing", "changed"}));

    link.Clear();
    table->First();
    EXPECT_EQ(link.Log, (Log{"check", "changed"}));
    link.Clear();
    table->Next();
    EXPECT_EQ(link.Log, (Log{"check", "scrolled 1"}));

    // Moving in edit state: the pending changes are decided first.
    table->Edit();
    link.Clear();
    table->Prior();
    EXPECT_EQ(link.Log, (Log{"check", "update", "check", "browsing", "changed", "scrolled -1"}));
    EXPECT_EQ(stateChanges, 7);
}

TEST_F(StoreTest, DisabledDataSourceIsInactiveAndHearsNothing) {
    PrepareTables(1);
    AddPassword();
    auto table = MakeQuestions();
    TDataSource source;
    source.SetDataSet(table.get());
    TRecordingLink link;
    link.SetDataSource(&source);
    table->Open();
    source.SetEnabled(false);
    EXPECT_EQ(source.State(), dsInactive);
    EXPECT_FALSE(link.Active());
    link.Clear();
    table->Edit();
    table->Cancel();
    EXPECT_TRUE(link.Log.empty());
    source.SetEnabled(true);
    EXPECT_TRUE(link.Active());
}

TEST_F(StoreTest, ReadOnlyLinkNeverEdits) {
    PrepareTables(1);
    AddPassword();
    auto table = MakePhrases();
    TDataSource source;
    source.SetDataSet(table.get());
    TFakeEditor edit(QStringLiteral("DBEdit1"), &source, QStringLiteral("Errada"));
    edit.Link.SetReadOnly(true);
    table->Open();
    EXPECT_FALSE(edit.Link.Edit());
    EXPECT_EQ(table->State(), dsBrowse); // not even the empty table starts an insert
}

TEST_F(StoreTest, LinkOnAReadOnlyFieldDoesNotStartAnEdit) {
    PrepareTables(1);
    AddPassword();
    auto table = MakeQuestions();
    TDataSource source;
    source.SetDataSet(table.get());
    TFakeEditor codigo(QStringLiteral("DBEdit5"), &source, QStringLiteral("Codigo"));
    table->Open();
    EXPECT_FALSE(codigo.Link.Edit());
    EXPECT_EQ(table->State(), dsBrowse);
    table->Edit();
    EXPECT_TRUE(codigo.Link.TDataLink::Editing());
    EXPECT_FALSE(codigo.Link.Editing());
}

TEST_F(StoreTest, RequiredBlankFieldTakesTheFocusAndRefusesPost) {
    PrepareTables();
    AddPassword();
    auto table = MakeQuestions();
    table->FieldByName(QStringLiteral("Resp_A"))->SetRequired(true);
    TDataSource source;
    source.SetDataSet(table.get());
    TFakeEditor memo(QStringLiteral("DBMemo2"), &source, QStringLiteral("Resp_A"));
    table->Open();
    table->Insert();
    EXPECT_EQ(ExceptionMessage([&] { table->Post(); }), "Field 'Resp_A' must have a value");
    EXPECT_EQ(memo.Control.FocusRequests, 1);
    EXPECT_EQ(table->State(), dsInsert);
    table->FieldByName(QStringLiteral("Resp_A"))->SetAsString(QStringLiteral("A"));
    table->Post();
    EXPECT_EQ(table->RecNo(), 1);
}

TEST_F(StoreTest, ResetShowsTheFieldAgainAndClearsTheMark) {
    PrepareTables(0, {{"a", "1"}});
    AddPassword();
    auto table = MakePhrases();
    TDataSource source;
    source.SetDataSet(table.get());
    TFakeEditor edit(QStringLiteral("DBEdit1"), &source, QStringLiteral("Correta"));
    table->Open();
    edit.Type(QStringLiteral("zzz"));
    ASSERT_TRUE(edit.Link.IsModified());
    edit.Shown.clear();
    edit.Link.Reset();
    EXPECT_EQ(edit.Shown, "a");
    EXPECT_FALSE(edit.Link.IsModified());
    EXPECT_EQ(table->State(), dsEdit); // Esc in an editor does not cancel the table
}
