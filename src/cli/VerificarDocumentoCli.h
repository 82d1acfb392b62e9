#pragma once

// `velmora-kv270 --verificar-documento ARCHIVO|CÓDIGO [--data-dir DIR | --registro CADENA]`: checks
// a document against the register without a login, a window or a question. Returns the exit
// status (0 issued here and the rows unchanged, 1 issued here but changed since, 2 unreadable
// file, mistyped code or register that cannot be read, 3 not issued by this register), or -1
// when the command line does not ask for it.
int VerificarDocumentoDesdeLinea(int argc, char* argv[]);
