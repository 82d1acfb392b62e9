#pragma once

#include "core/store/CambiosAjenos.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;

// Notices of changes made at other desks to one server session. They are read as soon as the
// session's socket has data, so another desk's change shows within the time it takes to read it;
// a timer covers what the socket cannot say (a session opened again on another socket, notices
// that came in while the session was busy with its own transaction).
class AvisosRegistro : public QObject {
    Q_OBJECT
public:
    // `cambiosAjenos` consumes the session's notices and says what they changed; nullopt when the
    // session cannot read them now. `socket` gives the session's socket, or -1 when there is none.
    AvisosRegistro(std::function<std::optional<CambiosAjenos>()> cambiosAjenos, std::function<int()> socket);
    ~AvisosRegistro() override;
    // Starts listening (the first listener connected).
    void vigilar();
    // Checks now.
    void revisar();

Q_SIGNALS:
    void registroCambiado(const CambiosAjenos& cambios);

private:
    void seguirSocket();

    QTimer timer_;
    std::unique_ptr<QSocketNotifier> lector_;
    int socketSeguido_ = -1;
    std::function<std::optional<CambiosAjenos>()> cambiosAjenos_;
    std::function<int()> socket_;
};
