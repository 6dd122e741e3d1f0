#pragma once
// The port set-up screen: choose COM1 or COM2 and find the station.
void link_connect();
