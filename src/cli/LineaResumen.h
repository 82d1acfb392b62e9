#pragma once

// `velmora-kv270 --resumen --desde DD/MM/AAAA --hasta DD/MM/AAAA --libro X.xlsx | --pdf X.pdf`
// (with --data-dir or --registro): writes the office summary without a login or a display.
// Returns the exit status when the command line asks for it, -1 otherwise.
int EjecutarLineaResumen(int argc, char* argv[]);
