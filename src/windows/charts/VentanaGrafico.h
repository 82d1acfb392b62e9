#pragma once

#include <QImage>
#include <QWidget>

class GraficoNiveles;
class MapaSemanalVista;
class Oficina;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

// "Gráfico de Niveles": the selected client's levels over time and its infractions by weekday
// and hour, inside the main window's date range. Modeless, one at a time; it follows the office
// model's selection and range, and reads nothing from other windows.
class VentanaGrafico : public QWidget {
    Q_OBJECT
public:
    // Shows the window for the selected client; without one with infractions the user is told
    // and nothing opens.
    static void Mostrar(Oficina& oficina);
    static VentanaGrafico* instancia(); // nullptr when not open

    ~VentanaGrafico() override;

    GraficoNiveles& grafico() { return *grafico_; }
    MapaSemanalVista& mapa() { return *mapa_; }
    // Shows the level chart (0) or the week map (1).
    void mostrarVista(int vista);
    // The view on show as a picture, and saved to a PNG or PDF file (by its extension).
    QImage imagenVista() const;
    bool guardarVista(const QString& ruta) const;

private:
    explicit VentanaGrafico(Oficina& oficina);
    void recargar();
    void mostrarMapa();
    void cambiarModoMapa();
    void guardarImagen();

    Oficina& oficina_;
    bool mapaAlDia_ = false;
    QTabWidget* vistas_ = nullptr;
    GraficoNiveles* grafico_ = nullptr;
    MapaSemanalVista* mapa_ = nullptr;
    QComboBox* modoMapa_ = nullptr;
    QLabel* senalado_ = nullptr;
    QLabel* leyendaMapa_ = nullptr;
    QLabel* resumen_ = nullptr;
    QPushButton* verTodo_ = nullptr;
    QPushButton* guardar_ = nullptr;
    QPushButton* cerrar_ = nullptr;
};

// Both views of the selected client drawn for the printed report (width x height pixels each).
// Empty pictures when no client is selected.
struct ImagenesGrafico {
    QImage niveles;
    QImage semana;
};
ImagenesGrafico DibujarGraficosInforme(Oficina& oficina, QSize tamano);
