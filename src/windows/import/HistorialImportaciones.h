#pragma once

#include "core/Oficina.h"

#include <QDialog>

#include <vector>

class GridModel;
class GridView;
class QLabel;
class QPushButton;
class QTableWidget;

// Texts of the import's questions and of the file check, from what the log says.
QString TextoReimportacion(const std::vector<ImportacionRegistrada>& previas);
// Empty when there is nothing to ask: no record already stored and no setting changed.
QString TextoConfirmacionImportacion(const QString& numeroCliente, qsizetype registros,
                                     const AnalisisImportacion& analisis);
QString TextoVerificacion(const QString& nombreArchivo, const QString& sha256,
                          const std::vector<ImportacionRegistrada>& importaciones);
// "1 registro", "12.345 registros".
QString TextoRegistros(qint64 n);
// The first characters of a SHA-256, as the list shows it (the whole one on hover and copy).
QString HuellaCorta(const QString& sha256);

// Asks what the log makes worth asking before an import: the same bytes imported before
// (default "No"), records already stored and settings changed. False when the user declines;
// `omitirSolapados` says whether only the new records are to be stored.
bool ConfirmarImportacion(const ArchivoImportacion& archivo, const AnalisisImportacion& analisis,
                          bool& omitirSolapados);

// "Verificar archivo...": asks for any inspection file and says whether those exact bytes were
// imported, when, by whom and for which client.
void VerificarArchivo(Oficina& oficina, QWidget* padre);

// "Historial de Importaciones": the selected client's imports, their kept originals and the
// rows each one stored. One window; opening it again brings it forward.
void MostrarHistorialImportaciones(Oficina& oficina, QWidget* padre);

class HistorialImportaciones : public QDialog {
    Q_OBJECT
public:
    HistorialImportaciones(Oficina& oficina, QWidget* padre);
    static HistorialImportaciones* instancia(); // nullptr when not open

    // The import on that list row is the current one.
    void elegirFila(int fila);
    void guardarOriginal();
    void verInfracciones();
    void eliminar();
    void restituir();
    void copiarHuella();

private:
    void construir();
    void recargar();
    const ImportacionRegistrada* actual() const;
    void permitirAcciones();

    Oficina& oficina_;
    std::vector<ImportacionRegistrada> importaciones_;
    FilasInfraccion filas_; // the rows the lower grid shows
    QLabel* tituloCliente_ = nullptr;
    QTableWidget* tablaImportaciones_ = nullptr;
    QPushButton* botonVer_ = nullptr;
    QPushButton* botonGuardar_ = nullptr;
    QPushButton* botonCopiar_ = nullptr;
    QPushButton* botonEliminar_ = nullptr;
    QPushButton* botonRestituir_ = nullptr;
    QPushButton* botonCerrar_ = nullptr;
    QLabel* tituloInfracciones_ = nullptr;
    GridModel* grid_ = nullptr;
    GridView* vista_ = nullptr;
};
