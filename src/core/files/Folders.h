#pragma once

#include <QString>

// The folders below the data root that hold the saved items, and where that root lives.
namespace folders {
QString sheets(const QString &root);  // Schede
QString groups(const QString &root);  // Schede/Gruppi
QString notepad(const QString &root); // Schede/Lavagna
// Creates the three folders when missing; false when one cannot be made.
bool ensure(const QString &root);
// Where the data folders live: beside the program when it already keeps its data there, or when
// it runs from a writable folder that is not an installed program folder ("bin"); otherwise in
// the per-user data folder.
QString chooseRoot(const QString &programDir, const QString &perUserDir);
} // namespace folders
