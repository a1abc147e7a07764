// The desktop's cursor codes and their Qt shapes. The program sets the
// application-wide cursor by code (the hourglass while the export runs),
// and a form may give a control its pointer shape the same way.
#pragma once

#include <Qt>

inline constexpr int crDefault = 0;
inline constexpr int crNone = -1;
inline constexpr int crArrow = -2;
inline constexpr int crCross = -3;
inline constexpr int crIBeam = -4;
inline constexpr int crSizeNESW = -6;
inline constexpr int crSizeNS = -7;
inline constexpr int crSizeNWSE = -8;
inline constexpr int crSizeWE = -9;
inline constexpr int crUpArrow = -10;
inline constexpr int crHourGlass = -11;
inline constexpr int crDrag = -12;
inline constexpr int crNoDrop = -13;
inline constexpr int crHSplit = -14;
inline constexpr int crVSplit = -15;
inline constexpr int crMultiDrag = -16;
inline constexpr int crSQLWait = -17;
inline constexpr int crNo = -18;
inline constexpr int crAppStart = -19;
inline constexpr int crHelp = -20;
inline constexpr int crHandPoint = -21;
inline constexpr int crSizeAll = -22;

// The Qt shape of a cursor code; crDefault and unknown codes give the arrow.
Qt::CursorShape CursorShapeFromCode(int cursor);
