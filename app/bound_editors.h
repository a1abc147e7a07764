// The field-bound editor types the main window places. The record store's
// own editors are used whenever they are part of the build; until then the
// small stand-ins of placeholder_editors.h take their place behind the same
// names and calls (SetName, SetDataSource, SetDataField, SetItems).
#pragma once

#if defined(QUESTOES_HAVE_STORE_CONTROLS)
#include "store/controls/db_combo_box.h"
#include "store/controls/db_edit.h"
#include "store/controls/db_memo.h"
using TFormDBMemo = TDBMemo;
using TFormDBEdit = TDBEdit;
using TFormDBComboBox = TDBComboBox;
#else
#include "app/placeholder_editors.h"
using TFormDBMemo = TPlaceholderDBMemo;
using TFormDBEdit = TPlaceholderDBEdit;
using TFormDBComboBox = TPlaceholderDBComboBox;
#endif
