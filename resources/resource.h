// Identifiers of the program's resources, shared by the resource script and
// the code.
#pragma once

#define IDI_PROGRAM 1
#define IDI_OPEN 101
#define IDI_SAVE 102
#define IDI_EXIT 103
#define IDI_ABOUT 104
#define IDI_RESTORE 105
#define IDI_QUICK1 111
#define IDI_QUICK2 112
#define IDI_QUICK3 113
#define IDI_QUICK4 114
#define IDI_QUICK5 115
#define IDR_ABOUT_PICTURE 201
