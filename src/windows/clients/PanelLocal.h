#pragma once

#include <QGroupBox>

#include <array>
#include <vector>

struct Cliente;
struct TextosBandas;
class QDateEdit;
class QLineEdit;
class QTimeEdit;

// "Local Asociado al Cliente": the selected client's premises, last inspections and time bands,
// read-only.
class PanelLocal : public QGroupBox {
    Q_OBJECT
public:
    explicit PanelLocal(QWidget* parent = nullptr);

    void mostrar(const Cliente& cliente);
    void mostrarBandas(const TextosBandas& bandas);
    // Its boxes in keyboard order.
    std::vector<QWidget*> ordenTeclado() const;

private:
    QLineEdit* nombreLocal_ = nullptr;
    QLineEdit* direccionLocal_ = nullptr;
    QLineEdit* localidadLocal_ = nullptr;
    QLineEdit* partidoLocal_ = nullptr;
    QLineEdit* provinciaLocal_ = nullptr;
    QLineEdit* telefonoLocal_ = nullptr;
    QLineEdit* emailLocal_ = nullptr;
    QDateEdit* fechaUltimaInspeccion_ = nullptr;
    QTimeEdit* horaUltimaInspeccion_ = nullptr;
    QDateEdit* fechaAnteriorInspeccion_ = nullptr;
    QTimeEdit* horaAnteriorInspeccion_ = nullptr;
    // Bands A, B and C.
    std::array<QLineEdit*, 3> activacionBanda_{};
    std::array<QLineEdit*, 3> inicioBanda_{};
    std::array<QLineEdit*, 3> finBanda_{};
};
