// The table of entry points of the loaded Database Engine. The store never
// links the engine: the session loads "DBENGINE.DLL" at run time and fills
// this table by name, and every engine call of the store goes through it.
#pragma once

#include "store/engine/dbengine.h"

struct TEngineApi {
    decltype(&DbeInitFn) InitFn = nullptr;
    decltype(&DbeExit) Exit = nullptr;
    decltype(&DbeGetCurrSession) GetCurrSession = nullptr;
    decltype(&DbeAddPassword) AddPassword = nullptr;
    decltype(&DbeOpenDatabase) OpenDatabase = nullptr;
    decltype(&DbeSetDirectory) SetDirectory = nullptr;
    decltype(&DbeCloseDatabase) CloseDatabase = nullptr;
    decltype(&DbeOpenTable) OpenTable = nullptr;
    decltype(&DbeGetCursorProps) GetCursorProps = nullptr;
    decltype(&DbeGetFieldDescs) GetFieldDescs = nullptr;
    decltype(&DbeSetToBegin) SetToBegin = nullptr;
    decltype(&DbeSetToEnd) SetToEnd = nullptr;
    decltype(&DbeGetRecord) GetRecord = nullptr;
    decltype(&DbeGetNextRecord) GetNextRecord = nullptr;
    decltype(&DbeGetPriorRecord) GetPriorRecord = nullptr;
    decltype(&DbeGetBookMark) GetBookMark = nullptr;
    decltype(&DbeSetToBookMark) SetToBookMark = nullptr;
    decltype(&DbeInitRecord) InitRecord = nullptr;
    decltype(&DbeGetField) GetField = nullptr;
    decltype(&DbePutField) PutField = nullptr;
    decltype(&DbeInsertRecord) InsertRecord = nullptr;
    decltype(&DbeModifyRecord) ModifyRecord = nullptr;
    decltype(&DbeDeleteRecord) DeleteRecord = nullptr;
    decltype(&DbeRelRecordLock) RelRecordLock = nullptr;
    decltype(&DbeMakeGap) MakeGap = nullptr;
    decltype(&DbeGetExactRecordCount) GetExactRecordCount = nullptr;
    decltype(&DbeGetRecordCount) GetRecordCount = nullptr;
    decltype(&DbeCloseCursor) CloseCursor = nullptr;
    decltype(&DbeGetErrorString) GetErrorString = nullptr;
    decltype(&DbeGetErrorContext) GetErrorContext = nullptr;

    // Looks every entry up in `module`; on a missing one returns false and
    // names it in `missing`.
    bool Resolve(void* module, const char** missing);
};
