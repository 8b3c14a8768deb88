#pragma once

// Outlook's "PickLogonProfile": "0" starts with the default profile, "1" asks
// the user which profile to start with.
void WritePickLogonProfile(bool bPrompt);
