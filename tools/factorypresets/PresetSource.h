#pragma once

// Preset sources: the readable form in which the project authors its factory
// presets. One parameter per line,
//
//   Delay 1 Time = 375 ms
//   Filter 1 Characteristic = Tube
//
// the name exactly as the parameter declares it, the value as a user would
// type it (read through the parameter's own text input: units, value names,
// note names). Blank lines and lines starting with '#' are skipped; a
// trailing CR is ignored.
//
// Applying a source first returns every parameter of the collection to its
// default, then sets the named values in index order (a list's active count
// before the sets it enables, sources before the slots that use them). The
// whole text is checked before anything changes: a line without '=', an
// unknown name, a name given twice, a value the parameter cannot read or a
// value outside its range fails with the line number and leaves every
// parameter as it was. A value that the owner's logic does not keep (a list
// that refuses the count, say) fails too, after the values were set.

#include <string>

class PresetParameterCollection;

// True when the text was applied; otherwise error says why, starting with
// "line N: ".
bool applyPresetSource(PresetParameterCollection& collection, const std::string& text, std::string& error);
