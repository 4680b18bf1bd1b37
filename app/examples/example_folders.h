// Where examples are read and written: the shipped ones may lie in a folder the user cannot
// write (an installed program), so saving them goes to the user's own examples folder.
#pragma once

#include <QString>

// Whether `path` can be written where it is (the file, or a new file in its folder).
bool exampleWritable(const QString& path);
// The user's own examples folder, made when missing.
QString userExamplesFolder();
