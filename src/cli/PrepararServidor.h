#pragma once

// `velmora-kv270 --preparar-servidor "conninfo"`: prepares the server database without a window
// and without questions. Returns the exit status (0 when prepared), or -1 when the command line
// does not ask for it.
int EjecutarPrepararServidor(int argc, char* argv[]);
