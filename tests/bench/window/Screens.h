#pragma once
// The screens the window bench opens, written as the program keeps them:
// program-list files in userdata/ and, for screens open at start, config.ini.
#include <QString>

class QProcess;

namespace windowbench {

// The largest screen a file may hold: 4096 x 512, 16 scenes of 16 text
// sections (single lines and rich texts by turns). Written to `path`.
bool writeLargestScreen(const QString& path);

// `count` mid screens (1024 x 256, 4 scenes of 8 sections, each section a
// program list of a rich text, a picture and a table), saved into the run
// folder's userdata/ by the screen panel and listed in its config.ini.
bool writeMidScreens(const QString& runFolder, int count);

// `count` small screens (128 x 32, one scene of one single-line text), saved
// and listed the same way: a start with many screens.
bool writeSmallScreens(const QString& runFolder, int count);

// Starts the simulated controller `program` on a TCP port of its own: the
// port it listens on, 0 when it did not start listening within 5 s.
quint16 startSimController(QProcess& sim, const QString& program);

} // namespace windowbench
