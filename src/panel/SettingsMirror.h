#pragma once

class RunningSettings;
class SetupPanel;

// Shows the running settings in the panel's controls and takes the user's
// edits back, both ways at once: a value written by the program is in its
// control when the write returns, and a control edited (by the user or by a
// test typing into it) has changed the value when its change signal returns.
void mirrorRunningSettings(SetupPanel &panel, RunningSettings &values);
