#pragma once

// `velmora-kv270 --verificar-registro [--data-dir DIR | --registro CADENA] [--json]`: checks the
// register without a login, a window or a question. Exit status 0 when all is correct, 1 when some
// difference was found (a broken chain included), 2 only when the register cannot be opened or read
// (or the command line is wrong).

// The exit status when the arguments ask for the check, -1 otherwise (the program goes on).
int OrdenVerificarRegistro(int argc, char* argv[]);
