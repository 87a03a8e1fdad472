#pragma once

#include <QString>

// Descriptor of one language file, in the resources or in the data folder.
struct LanguageInfo
{
    QString jsonPath;
    QString iconPath;       // empty when the language has no picture
    QString title;          // "INFO"."LANG"."T"
    QString key;            // "INFO"."LANG"."K"
    int versionMajor = 0;   // "INFO"."VER", all three 0 unless it has three parts
    int versionMinor = 0;
    int versionPatch = 0;
    int order = 0;          // "INFO"."ORD"
};
