/* The one interface between the program and the view library. Plain C:
 * no C++ type crosses it, and no exception. Both deliverables include
 * this header; the program binds the three exports by name. */
#ifndef MIROVAN_VIEW_H
#define MIROVAN_VIEW_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define MV_EXPORT __declspec(dllexport)
#else
#define MV_EXPORT __attribute__((visibility("default")))
#endif

/* Command codes of ParseCommand. */
enum {
    VC_GETVERSION = 0,
    VC_PRINT = 1,
    VC_NEXTMONTH = 2,
    VC_THISMONTH = 3,
    VC_PREVMONTH = 4,
    VC_RELOADFONTS = 5,
    VC_GETFONTS = 6,
    VC_GETMODE = 7,
    VC_SETMODE = 8,
    VC_SETHOLIDAYS = 9,
    VC_RESETFONTS = 10,
    VC_SWITCHMODE = 11,
    VC_REDRAW = 12,
    VC_GETMONTH = 13,
    VC_SETMONTH = 14,
    VC_SETEVENTPROC = 15,
    VC_SETDAYTEXTS = 16,
    VC_GETSELDATE = 17,
    VC_SETPERSONALPATH = 18,
    VC_LOADPERSONAL = 19,
    VC_SAVEPERSONAL = 20,
    VC_EDITMEMO = 21,
    VC_MOVE = 28,
    VC_SELECTDAY = 29,
    VC_SHOW = 30,
    VC_GETHWND = 31,
    /* Codes added by this program start at 40, clear of the first release's. */
    VC_SETHOLIDAYNAMES = 40
};

enum { MV_VERSION = 130 };
enum { MV_MODE_PERSONAL = 0, MV_MODE_SCHEDULE = 1 };

/* p1 of VC_SAVEPERSONAL. 0 writes the file, reporting a failure. Before
 * the parent window closes, a failure asks instead whether to retry, save
 * the memos in another file or drop them: MV_SAVE_CLOSING also lets the
 * user go back (result -1, keep the window open), MV_SAVE_EXITING does not.
 * MV_SAVE_QUIET shows no window at all, for a program without a display:
 * a failure writes the memos to a rescue file in the user's data folder,
 * and both are told on standard error. */
enum { MV_SAVE_WRITE = 0, MV_SAVE_CLOSING = 1, MV_SAVE_EXITING = 2, MV_SAVE_QUIET = 3 };

/* Mouse events passed to the event function. */
enum {
    MV_EVENT_DBLCLICK = 1,
    MV_EVENT_LBUTTONUP = 2,
    MV_EVENT_LBUTTONDOWN = 3,
    MV_EVENT_RBUTTONUP = 4,
    MV_EVENT_RBUTTONDOWN = 5
};
/* The memos were saved to another file after their own could not be
 * written; that file is the view's personal file now. param: const char*
 * const[2], the old file and the new one. */
enum { MV_EVENT_PERSONALMOVED = 6 };

#pragma pack(push, 1)
/* An OLE Automation date and its status (0 valid, 1 invalid, 2 null). */
typedef struct DATEREC {
    double date;
    int32_t status;
} DATEREC;
#pragma pack(pop)

/* The view's font block, copied as a whole. Face names are code page
 * 932, NUL-terminated; sizes are tenths of a point. */
typedef struct VIEWFONTS {
    char Font0[64];
    int32_t FontSize0;
    char Font1[64];
    int32_t FontSize1;
    int32_t Spare; /* never read by the view; the program keeps NoMemDC here */
} VIEWFONTS;

typedef int32_t (*HOLIDAYPROC)(int32_t year, int32_t month, int32_t day);
/* Added after the first release, for screen readers: writes the name of
 * the day's holiday (code page 932, NUL-terminated, cut to fit size bytes)
 * and returns its length, 0 for none. A library that does not know
 * VC_SETHOLIDAYNAMES answers -1 like any unknown code, and its cells then
 * only say that the day is a holiday. */
typedef int32_t (*HOLIDAYNAMEPROC)(int32_t year, int32_t month, int32_t day, char* name, int32_t size);
typedef int32_t (*VIEWEVENTPROC)(int32_t event, void* param, void* context);

typedef struct HOLIDAYINFO {
    HOLIDAYPROC proc;
    int32_t plainWeekends;
} HOLIDAYINFO;

/* An ordered list of NUL-terminated code page 932 strings. */
typedef struct MVSTRINGLIST {
    int32_t count;
    const char* const* items;
} MVSTRINGLIST;

typedef struct MVRECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
} MVRECT;

typedef struct MVVIEW_ MVVIEW_;
typedef MVVIEW_* MVVIEW;

/* parent is the program's top-level QWidget*, passed opaquely. */
typedef MVVIEW (*CreateMVProc)(const MVRECT* rect, void* parent, int32_t reserved);
/* p1, p2 and the result are pointer-sized: commands 6, 13 and 31 return pointers. */
typedef intptr_t (*ParseCommandProc)(MVVIEW view, int32_t code, intptr_t p1, intptr_t p2);
typedef int32_t (*ShowListDialogProc)(const char* title, const MVSTRINGLIST* times, const MVSTRINGLIST* contents,
                                      const MVSTRINGLIST* remarks, const void* records);

MV_EXPORT MVVIEW CreateMV(const MVRECT* rect, void* parent, int32_t reserved);
MV_EXPORT intptr_t ParseCommand(MVVIEW view, int32_t code, intptr_t p1, intptr_t p2);
MV_EXPORT int32_t ShowListDialog(const char* title, const MVSTRINGLIST* times, const MVSTRINGLIST* contents,
                                 const MVSTRINGLIST* remarks, const void* records);

#ifdef __cplusplus
}

static_assert(sizeof(DATEREC) == 12, "DATEREC is 12 bytes");
static_assert(sizeof(VIEWFONTS) == 140, "VIEWFONTS is 140 bytes");
static_assert(offsetof(VIEWFONTS, FontSize0) == 64, "VIEWFONTS layout");
static_assert(offsetof(VIEWFONTS, Font1) == 68, "VIEWFONTS layout");
static_assert(offsetof(VIEWFONTS, FontSize1) == 132, "VIEWFONTS layout");
static_assert(offsetof(VIEWFONTS, Spare) == 136, "VIEWFONTS layout");
#endif

#endif
