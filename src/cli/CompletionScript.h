#pragma once

#include <QString>

// How bash completes a value: an option's or an operand's.
enum class ValueCompletion {
    None,      // free text: an address, a number, a display name
    File,      // a file name
    Interface, // this host's interface names, also after a comma
    Choice,    // "WEB1..WEB6": the names of that range; "query|ping": those words
};

// What the value named `valueName` (of `option`, or an operand when empty)
// completes as. A value name not known here is free text.
ValueCompletion valueCompletion(const QString &option, const QString &valueName);

// The words of a Choice value: "WEB1..WEB6" gives WEB1 to WEB6, "query|ping"
// query and ping.
QString choiceWords(const QString &valueName);

// The bash completion of cfgutil, made from the command table: commands,
// the options of each and of every command, and their values.
QString bashCompletionScript();
