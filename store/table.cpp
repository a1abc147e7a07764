#include "store/table.h"

#include "store/database.h"
#include "store/database_error.h"
#include "store/engine_api.h"
#include "store/field.h"
#include "store/session.h"

#include <QByteArray>
#include <utility>

namespace {
// The longest table name handed to the engine, in characters.
constexpr int MaxTableNameLength = 260;
} // namespace

TTable::TTable(QString name) : TDBDataSet(std::move(name)) {}

TTable::~TTable() = default;

void TTable::SetTableName(const QString& tableName) {
    tableName_ = tableName;
}

hDbeCur TTable::CreateHandle() {
    if (tableName_.isEmpty())
        Error(StoreMessages::NoTableName);
    TSession* session = DBSession();
    const TEngineApi& api = session->Api();
    const QByteArray name = CutToCharacters(tableName_, MaxTableNameLength).toUtf8();
    DbeOpenMode mode = dbeREADWRITE;
    for (;;) {
        hDbeCur cursor = nullptr;
        const DbeResult result = api.OpenTable(Database()->Handle(), name.constData(), "NATIVE",
                                               nullptr, mode, dbeOPENSHARED, 1, &cursor);
        if (result == DBE_OK) {
            readOnlyOpen_ = mode == dbeREADONLY;
            return cursor;
        }
        if (result == DBE_ERR_TABLEREADONLY && mode == dbeREADWRITE) {
            mode = dbeREADONLY;
            continue;
        }
        // Asked again after each wrong password, until the user gives none.
        if (result == DBE_ERR_NOTSUFFTABLERIGHTS && session->GetPassword(tableName_))
            continue;
        session->RaiseEngineError(result);
    }
}
