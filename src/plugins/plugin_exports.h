// Which export of a plug-in each command calls.
#pragma once

// The export that `command` calls in every plug-in, or nullptr for a code
// that calls none (0x21 and every unknown code).
const char *plugins_export_name(int command);
