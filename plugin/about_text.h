// The About text of the plug-in's descriptor.
#pragma once

extern const char kAboutEnglish[];
extern const char kAboutRussian[];
