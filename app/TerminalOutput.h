#pragma once
// Lines for the terminal. Names, stored values and arguments can hold
// terminal control sequences; every line shows them as visible escapes
// instead of letting them reach the terminal.

#include <QString>

#include <cstdio>

namespace trovi::app {

QString terminalSafe(const QString& text);
void printLine(FILE* stream, const QString& line);

} // namespace trovi::app
