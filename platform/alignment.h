// Text alignment inside a control, a field or a status panel. One enum for
// the whole program, so that the record store and the user interface can
// meet in one source file.
#pragma once

enum TAlignment : int { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
