#pragma once

#include <QString>

// Reports and workbooks made from the command line, without a display or a login:
//   velmora-kv270 --informe NÚMERO --desde DD/MM/AAAA --hasta DD/MM/AAAA
//                 [--pdf SALIDA.pdf [--firmar CERT.p12] [--clave-archivo ARCHIVO]]
//                 [--libro SALIDA.xlsx] [--sobrescribir] [--data-dir DIR] [--registro CADENA]
// Returns the exit status, or -1 when the arguments ask for neither (the program goes on).
int EjecutarInformeLineaComandos(int argc, char* argv[]);

// The operating system's user: what the command line issues is recorded under it.
QString UsuarioSistema();
