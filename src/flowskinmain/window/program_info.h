#pragma once
// What the program tells about itself: its version, the libraries it runs
// with, and the help page of the "?" button.
#include <QString>

// "Flowskin 1.0.0".
QString ProgramVersion();

// The libraries, one per line: Qt (the one running and the one built with),
// the mesh import library and, when known, the OpenGL driver (gl).
QString LibraryVersions(const QString& gl = QString());

// The README beside the program's build folder (build/flowskin ->
// README.md), as an absolute path; empty when there is none.
QString ReadmePath();

// The help page as rich text: the mouse in the view, the keys, the tabs and
// where the README is (readme: its path, or empty).
QString HelpPageHtml(const QString& readme);
