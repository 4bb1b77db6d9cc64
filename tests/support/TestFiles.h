#ifndef TESTS_TESTFILES_H
#define TESTS_TESTFILES_H

#include <QByteArray>
#include <QString>

// Whole content of a file, empty when it cannot be read.
QByteArray ReadFile(const QString& path);

// Creates (or replaces) a file holding exactly the given bytes, making its folder first when missing.
bool WriteFile(const QString& path, const QByteArray& content);

#endif // TESTS_TESTFILES_H
