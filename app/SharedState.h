#pragma once
// The document state shared by the main window, the layout and caption code and the file code.
// One editor holds one document, so these are process-wide.
#include <QString>
#include <QtGlobal>

inline qint16 ViewMode = 0;          // 0 normal, 1 text priority, 2 browser priority
inline bool IsModified = false;      // the pane holds changes that are not in the file
inline bool ExitRequested = false;   // Exit is under way: closing asks instead of refusing
inline QString AppTitle;             // "Tavro" after load
inline QString FileTitle;            // display name; "無題" while the document has no file
inline QString FilePath;             // full path of the document's file; never cleared

// The display name of a document that has no file yet.
inline const QString UntitledName = QStringLiteral("無題");

// Back to the values the program starts with (before the main window's load).
inline void ResetSharedState()
{
    ViewMode = 0;
    IsModified = false;
    ExitRequested = false;
    AppTitle.clear();
    FileTitle.clear();
    FilePath.clear();
}
