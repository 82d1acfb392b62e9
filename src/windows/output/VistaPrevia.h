#pragma once

#include "core/output/InformeInfracciones.h"

#include <QAbstractScrollArea>
#include <QDialog>

#include <functional>
#include <list>
#include <memory>
#include <utility>

class QLabel;
class QSpinBox;
class QToolBar;

// The report's pages one below the other, each painted only when it comes into view (and a
// few kept): a report of thousands of pages shows its first one at once.
class HojasVistaPrevia : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit HojasVistaPrevia(QWidget* padre = nullptr);

    void setInforme(std::shared_ptr<const InformeInfracciones> informe);
    int paginas() const { return maqueta_.total(); }
    int paginaActual() const; // from 1; the one at the top of the view
    void irAPagina(int pagina);
    // Screen resolution the paper is drawn at: 100 % is the screen's own.
    double zoom() const { return zoom_; }
    void setZoom(double zoom);
    void ajustarAncho(); // and keeps the page filling the width while the window is resized
    // Pages painted since the report was set (tests, benchmarks).
    int paginasPintadas() const { return pintadas_; }

Q_SIGNALS:
    void paginaCambiada(int pagina);

protected:
    void paintEvent(QPaintEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void aplicarZoom(double zoom);
    QSize tamanoPapel() const; // in pixels at the current zoom
    int paso() const;          // paper height plus the gap between pages
    void actualizarBarras();
    const QImage& imagenPagina(int indice);

    std::shared_ptr<const InformeInfracciones> informe_;
    InformeInfracciones::Maqueta maqueta_;
    double zoom_ = 1;
    bool zoomElegido_ = false; // until the user zooms, the page fills the width
    int pintadas_ = 0;
    std::list<std::pair<int, QImage>> cache_; // most recently used first
};

// The report's preview: its pages, navigation, zoom, printing, saving as PDF and the option of
// the charts page. Modeless.
class DialogoVistaPrevia : public QDialog {
    Q_OBJECT
public:
    explicit DialogoVistaPrevia(QWidget* padre = nullptr);

    // Shows this report (a later call replaces it).
    void setInforme(std::shared_ptr<const InformeInfracciones> informe);
    HojasVistaPrevia* hojas() const { return hojas_; }
    QToolBar* barra() const { return barra_; }
    // Printing issues the report: the hook hands the report with its verification code to the
    // printing given, and records it once printed. Without one, the report shown is printed.
    using Imprimir = std::function<bool(const InformeInfracciones&)>;
    void setEmision(std::function<void(const Imprimir&)> emision) { emision_ = std::move(emision); }

private:
    void imprimir();
    void actualizarPagina(int pagina);

    std::shared_ptr<const InformeInfracciones> informe_;
    std::function<void(const Imprimir&)> emision_;
    QToolBar* barra_;
    HojasVistaPrevia* hojas_;
    QSpinBox* pagina_;
    QLabel* deTotal_;
};
