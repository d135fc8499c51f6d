#pragma once
// What the setup relies on from the host word processor.

// Every top-level window of a running host carries this property with a non-zero value.
inline constexpr char HostWindowProperty[] = "1.x Brinmoor";

// True when any top-level window, hidden ones included, carries the host's property.
bool HostInstancesRunning();
