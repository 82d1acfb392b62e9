-- Velmora KV-270: rights on the shared register's server.
--
-- `velmora-kv270 --preparar-servidor "conninfo"` runs this file, exactly as installed, after it has
-- built or upgraded the register's tables, in the same transaction. It can run again at any time:
-- roles are created only when absent, every right is first taken away and then given again.
-- The connecting user must own the tables (or be a superuser) and be allowed to create roles.
--
-- velmora_consulta       reads the register and issues documents (their log entries).
-- velmora_oficina        + imports, creates and edits clients.
-- velmora_administrador  + deletions and restitutions with a reason, people, moving a register.
-- Evidence (Infracciones, Importaciones, OriginalesImportacion, RegistroActividad) is never
-- updated or deleted by any of them: that happens only inside the functions below, which check
-- the caller's role and write the activity log themselves.

DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'velmora_consulta') THEN
        CREATE ROLE velmora_consulta NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'velmora_oficina') THEN
        CREATE ROLE velmora_oficina NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'velmora_administrador') THEN
        CREATE ROLE velmora_administrador NOLOGIN;
    END IF;
END $$;

-- Each role has the rights of the one before it.
GRANT velmora_consulta TO velmora_oficina;
GRANT velmora_oficina TO velmora_administrador;
-- Whoever prepares the register (the tables' owner) may sign in to it as an administrator, so a
-- login of its own, not a superuser, can move the office's file into it.
DO $$
BEGIN
    IF NOT pg_has_role(current_user, 'velmora_administrador', 'MEMBER') THEN
        EXECUTE format('GRANT velmora_administrador TO %I', current_user);
    END IF;
END $$;

-- Nothing for anyone by default, then what each role needs.
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
REVOKE ALL ON ALL TABLES IN SCHEMA public FROM PUBLIC, velmora_consulta, velmora_oficina, velmora_administrador;
REVOKE ALL ON ALL SEQUENCES IN SCHEMA public FROM PUBLIC, velmora_consulta, velmora_oficina, velmora_administrador;
GRANT USAGE ON SCHEMA public TO velmora_consulta;

GRANT SELECT ON Clientes, Infracciones, Importaciones, OriginalesImportacion, VersionEsquema, RegistroActividad,
    IdentidadRegistro, ResumenMensual, ResumenMensualHasta TO velmora_consulta;
-- Everyone's actions are logged, documents issued by consulta included; the log's own trigger
-- numbers, stamps and chains each entry with the server's clock and session_user.
GRANT INSERT ON RegistroActividad TO velmora_consulta;
GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO velmora_consulta;
GRANT INSERT, UPDATE ON Clientes TO velmora_oficina;
GRANT INSERT ON Infracciones, Importaciones, OriginalesImportacion TO velmora_oficina;
GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO velmora_oficina;
-- The embedded accounts' password hashes: not for consulta or oficina.
GRANT SELECT ON PassUsuarios TO velmora_administrador;

-- The prepared version a desk checks before it works on the register.
CREATE OR REPLACE FUNCTION velmora_preparacion() RETURNS integer
    LANGUAGE sql IMMUTABLE SET search_path = pg_catalog
    AS $$ SELECT 1 $$;
GRANT EXECUTE ON FUNCTION velmora_preparacion() TO PUBLIC;

-- Refuses a caller who is not a member of `rol`; the server's login is what counts, never a
-- name the desk sends.
CREATE OR REPLACE FUNCTION velmora_exigir(rol name) RETURNS void
    LANGUAGE plpgsql STABLE SET search_path = pg_catalog
    AS $$
BEGIN
    IF NOT pg_has_role(session_user, rol, 'MEMBER') THEN
        RAISE EXCEPTION 'el usuario % no tiene el rol %', session_user, rol
            USING ERRCODE = 'insufficient_privilege';
    END IF;
END $$;
REVOKE ALL ON FUNCTION velmora_exigir(name) FROM PUBLIC;

-- A reason is required for every deletion and restitution.
CREATE OR REPLACE FUNCTION velmora_exigir_motivo(motivo text) RETURNS text
    LANGUAGE plpgsql IMMUTABLE SET search_path = pg_catalog
    AS $$
BEGIN
    IF coalesce(btrim(motivo), '') = '' THEN
        RAISE EXCEPTION 'falta el motivo' USING ERRCODE = 'check_violation';
    END IF;
    RETURN btrim(motivo);
END $$;
REVOKE ALL ON FUNCTION velmora_exigir_motivo(text) FROM PUBLIC;

-- The details of a log entry written here, compact JSON: the desk's account, the rows, the reason.
CREATE OR REPLACE FUNCTION velmora_detalles(cuenta text, filas bigint, motivo text) RETURNS text
    LANGUAGE sql IMMUTABLE SET search_path = pg_catalog
    AS $$ SELECT '{"cuenta":' || to_json(coalesce(cuenta, ''))::text || ',"filas":' || filas::text ||
                 ',"motivo":' || to_json(btrim(motivo))::text || '}' $$;
REVOKE ALL ON FUNCTION velmora_detalles(text, bigint, text) FROM PUBLIC;

-- Deletes a client, its infractions and its imports, and logs it under the server's
-- session_user. Returns the infraction rows deleted.
CREATE OR REPLACE FUNCTION velmora_eliminar_cliente(id_cliente bigint, motivo text, puesto text, cuenta text)
    RETURNS bigint
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp
    AS $$
DECLARE
    numero text;
    filas bigint;
BEGIN
    PERFORM velmora_exigir('velmora_administrador');
    PERFORM velmora_exigir_motivo(motivo);
    -- The client row first: an import for the same client finished before or finds it gone.
    SELECT NumeroCliente INTO numero FROM Clientes WHERE Id = id_cliente FOR UPDATE;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'el cliente % no existe', id_cliente USING ERRCODE = 'no_data_found';
    END IF;
    DELETE FROM Clientes WHERE Id = id_cliente;
    DELETE FROM Infracciones WHERE NumeroCliente IS NOT DISTINCT FROM numero;
    GET DIAGNOSTICS filas = ROW_COUNT;
    -- The imports' log rows and originals stay, marked withdrawn: the evidence of what went.
    UPDATE Importaciones SET Retirada = 1 WHERE NumeroCliente IS NOT DISTINCT FROM numero;
    INSERT INTO RegistroActividad (Puesto, Accion, Objeto, Detalles)
        VALUES (coalesce(puesto, ''), 'cliente.baja', coalesce(numero, ''), velmora_detalles(cuenta, filas, motivo));
    RETURN filas;
END $$;

-- One field of the rows' digest, as the desks compute it: its length in bytes, a colon, its
-- UTF-8 bytes and a newline; NULL counts as the empty text.
CREATE OR REPLACE FUNCTION velmora_campo_digest(valor text) RETURNS bytea
    LANGUAGE sql IMMUTABLE SET search_path = pg_catalog
    AS $$ SELECT convert_to(octet_length(convert_to(coalesce(valor, ''), 'UTF8'))::text || ':', 'UTF8') ||
                 convert_to(coalesce(valor, ''), 'UTF8') || '\x0a'::bytea $$;
REVOKE ALL ON FUNCTION velmora_campo_digest(text) FROM PUBLIC;

-- An import's rows in order: how many, their digest and their values (NULL kept as null), so a
-- withdrawal keeps exactly what a restitution has to write again.
CREATE OR REPLACE FUNCTION velmora_filas_importacion(id_importacion bigint, OUT filas bigint, OUT digest text,
                                                     OUT valores json)
    LANGUAGE sql STABLE SET search_path = public, pg_temp
    AS $$
    SELECT count(*),
           encode(sha256('\x5246310a'::bytea || coalesce(string_agg(
               velmora_campo_digest(NumeroCliente) || velmora_campo_digest(FechaInfraccion) ||
               velmora_campo_digest(HoraInfraccion) || velmora_campo_digest(NiveldB) ||
               velmora_campo_digest(Microfono) || velmora_campo_digest(Estado) ||
               velmora_campo_digest(TensionLinea) || velmora_campo_digest(PorcentajeCompresion) ||
               velmora_campo_digest(Inspector) || velmora_campo_digest(Maxdb) || velmora_campo_digest(dbaten) ||
               velmora_campo_digest(excesos) || velmora_campo_digest(caldb) || velmora_campo_digest(segpenal) ||
               velmora_campo_digest(nivelconsola) || velmora_campo_digest(nivelruido) ||
               velmora_campo_digest(contadorinf) || '\x0a'::bytea, ''::bytea ORDER BY id), ''::bytea)), 'hex'),
           coalesce(json_agg(json_build_array(NumeroCliente, FechaInfraccion, HoraInfraccion, NiveldB, Microfono,
                                              Estado, TensionLinea, PorcentajeCompresion, Inspector, Maxdb, dbaten,
                                              excesos, caldb, segpenal, nivelconsola, nivelruido, contadorinf)
                             ORDER BY id), '[]'::json)
    FROM Infracciones WHERE IdImportacion = id_importacion
$$;
REVOKE ALL ON FUNCTION velmora_filas_importacion(bigint) FROM PUBLIC;

-- Withdraws one import: its infraction rows go, its log row and original stay marked withdrawn,
-- and the entry keeps the rows' values and digest for a restitution. Returns the rows deleted.
CREATE OR REPLACE FUNCTION velmora_eliminar_importacion(id_importacion bigint, motivo text, puesto text,
                                                        cuenta text)
    RETURNS bigint
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp
    AS $$
DECLARE
    numero text;
    ya_retirada bigint;
    guardadas record;
BEGIN
    PERFORM velmora_exigir('velmora_administrador');
    PERFORM velmora_exigir_motivo(motivo);
    SELECT NumeroCliente, i.Retirada INTO numero, ya_retirada FROM Importaciones i WHERE Id = id_importacion FOR UPDATE;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'la importación % no existe', id_importacion USING ERRCODE = 'no_data_found';
    END IF;
    IF ya_retirada <> 0 THEN
        RAISE EXCEPTION 'la importación % ya estaba eliminada', id_importacion
            USING ERRCODE = 'invalid_parameter_value';
    END IF;
    SELECT * INTO guardadas FROM velmora_filas_importacion(id_importacion);
    DELETE FROM Infracciones WHERE IdImportacion = id_importacion;
    UPDATE Importaciones SET Retirada = 1 WHERE Id = id_importacion;
    INSERT INTO RegistroActividad (Puesto, Accion, Objeto, Detalles)
        VALUES (coalesce(puesto, ''), 'importacion.retirada', id_importacion::text,
                json_build_object('cuenta', coalesce(cuenta, ''), 'importacion', id_importacion,
                                  'cliente', numero, 'filas', guardadas.filas, 'motivo', btrim(motivo),
                                  'digest', guardadas.digest, 'valores', guardadas.valores)::text);
    RETURN guardadas.filas;
END $$;

-- Brings a withdrawn import's rows back, identical, from what its withdrawal kept; refused when
-- its client is gone (no row without its client) or the rows written differ from those kept.
-- Returns the rows restored.
CREATE OR REPLACE FUNCTION velmora_restituir_importacion(id_importacion bigint, puesto text, cuenta text)
    RETURNS bigint
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp
    AS $$
DECLARE
    numero text;
    ya_retirada bigint;
    retiro record;
    kept json;
    escritas record;
BEGIN
    PERFORM velmora_exigir('velmora_administrador');
    SELECT NumeroCliente, i.Retirada INTO numero, ya_retirada FROM Importaciones i WHERE Id = id_importacion FOR UPDATE;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'la importación % no existe', id_importacion USING ERRCODE = 'no_data_found';
    END IF;
    IF ya_retirada = 0 THEN
        RAISE EXCEPTION 'la importación % no está eliminada', id_importacion
            USING ERRCODE = 'invalid_parameter_value';
    END IF;
    -- The client row is locked so a deletion at another desk waits for this one.
    PERFORM 1 FROM Clientes WHERE NumeroCliente IS NOT DISTINCT FROM numero FOR UPDATE;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'el cliente % de la importación % ya no está en el registro', numero, id_importacion
            USING ERRCODE = 'invalid_parameter_value';
    END IF;
    SELECT Secuencia, Detalles::json AS d INTO retiro FROM RegistroActividad
        WHERE Accion = 'importacion.retirada' AND Objeto = id_importacion::text
        ORDER BY Secuencia DESC LIMIT 1;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'el registro de actividad no guarda las filas de la importación %', id_importacion
            USING ERRCODE = 'no_data_found';
    END IF;
    IF retiro.d -> 'valores' IS NULL OR EXISTS (
        SELECT FROM RegistroActividad WHERE Accion = 'cliente.baja' AND Objeto IS NOT DISTINCT FROM numero
            AND Secuencia > retiro.Secuencia) THEN
        RAISE EXCEPTION 'el registro de actividad no guarda las filas de la importación %', id_importacion
            USING ERRCODE = 'no_data_found';
    END IF;
    kept := retiro.d;
    INSERT INTO Infracciones (NumeroCliente, FechaInfraccion, HoraInfraccion, NiveldB, Microfono, Estado,
                              TensionLinea, PorcentajeCompresion, Inspector, Maxdb, dbaten, excesos, caldb,
                              segpenal, nivelconsola, nivelruido, contadorinf, IdImportacion)
        SELECT v->>0, v->>1, v->>2, v->>3, v->>4, v->>5, v->>6, v->>7, v->>8, v->>9, v->>10, v->>11, v->>12,
               v->>13, v->>14, v->>15, v->>16, id_importacion
        FROM json_array_elements(kept -> 'valores') WITH ORDINALITY AS e(v, n) ORDER BY n;
    SELECT * INTO escritas FROM velmora_filas_importacion(id_importacion);
    IF escritas.filas <> (kept ->> 'filas')::bigint OR escritas.digest <> (kept ->> 'digest') THEN
        RAISE EXCEPTION 'las filas de la importación % no coinciden con las eliminadas', id_importacion
            USING ERRCODE = 'invalid_parameter_value';
    END IF;
    UPDATE Importaciones SET Retirada = 0 WHERE Id = id_importacion;
    INSERT INTO RegistroActividad (Puesto, Accion, Objeto, Detalles)
        VALUES (coalesce(puesto, ''), 'importacion.restituida', id_importacion::text,
                json_build_object('cuenta', coalesce(cuenta, ''), 'importacion', id_importacion,
                                  'cliente', numero, 'filas', escritas.filas, 'digest', escritas.digest,
                                  'eliminada_en', retiro.Secuencia)::text);
    RETURN escritas.filas;
END $$;

-- Adds a person: a server login, member of one of the three roles. The password arrives as the
-- server's own SCRAM verifier, computed at the desk, so no clear password reaches a log.
CREATE OR REPLACE FUNCTION velmora_alta_persona(persona text, verificador text, rol text, puesto text)
    RETURNS void
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp
    AS $$
BEGIN
    PERFORM velmora_exigir('velmora_administrador');
    IF rol NOT IN ('velmora_consulta', 'velmora_oficina', 'velmora_administrador') THEN
        RAISE EXCEPTION 'rol desconocido: %', rol USING ERRCODE = 'invalid_parameter_value';
    END IF;
    IF coalesce(btrim(persona), '') = '' OR persona LIKE 'velmora\_%' OR persona LIKE 'pg\_%' THEN
        RAISE EXCEPTION 'nombre no válido: %', persona USING ERRCODE = 'invalid_parameter_value';
    END IF;
    IF verificador NOT LIKE 'SCRAM-SHA-256$%' THEN
        RAISE EXCEPTION 'la contraseña no llegó cifrada' USING ERRCODE = 'invalid_parameter_value';
    END IF;
    IF EXISTS (SELECT FROM pg_roles WHERE rolname = persona) THEN
        RAISE EXCEPTION 'ya existe el usuario %', persona USING ERRCODE = 'duplicate_object';
    END IF;
    EXECUTE format('CREATE ROLE %I LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE PASSWORD %L IN ROLE %I',
                   persona, verificador, rol);
    INSERT INTO RegistroActividad (Puesto, Accion, Objeto, Detalles)
        VALUES (coalesce(puesto, ''), 'cuenta.alta', persona, '{"rol":' || to_json(rol)::text || '}');
END $$;

-- Removes a person who is a member of one of the three roles (and nothing more than that).
CREATE OR REPLACE FUNCTION velmora_baja_persona(persona text, puesto text) RETURNS void
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp
    AS $$
DECLARE
    r pg_roles%ROWTYPE;
BEGIN
    PERFORM velmora_exigir('velmora_administrador');
    SELECT * INTO r FROM pg_roles WHERE rolname = persona;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'no existe el usuario %', persona USING ERRCODE = 'undefined_object';
    END IF;
    IF persona = session_user THEN
        RAISE EXCEPTION 'no puede quitarse a sí mismo' USING ERRCODE = 'invalid_parameter_value';
    END IF;
    IF r.rolsuper OR r.rolcreaterole OR NOT (pg_has_role(persona, 'velmora_consulta', 'MEMBER')) THEN
        RAISE EXCEPTION 'el usuario % no es una persona del registro', persona
            USING ERRCODE = 'insufficient_privilege';
    END IF;
    EXECUTE format('DROP ROLE %I', persona);
    INSERT INTO RegistroActividad (Puesto, Accion, Objeto, Detalles)
        VALUES (coalesce(puesto, ''), 'cuenta.baja', persona, '{}');
END $$;

-- The people of the register and their highest role.
CREATE OR REPLACE FUNCTION velmora_personas() RETURNS TABLE (persona text, rol text)
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog
    AS $$
    SELECT r.rolname::text,
           CASE WHEN pg_has_role(r.oid, 'velmora_administrador', 'MEMBER') THEN 'velmora_administrador'
                WHEN pg_has_role(r.oid, 'velmora_oficina', 'MEMBER') THEN 'velmora_oficina'
                ELSE 'velmora_consulta' END
    FROM pg_roles r
    WHERE r.rolcanlogin AND pg_has_role(r.oid, 'velmora_consulta', 'MEMBER') AND NOT r.rolsuper
    ORDER BY 1
$$;

REVOKE ALL ON FUNCTION velmora_eliminar_cliente(bigint, text, text, text) FROM PUBLIC;
REVOKE ALL ON FUNCTION velmora_eliminar_importacion(bigint, text, text, text) FROM PUBLIC;
REVOKE ALL ON FUNCTION velmora_restituir_importacion(bigint, text, text) FROM PUBLIC;
REVOKE ALL ON FUNCTION velmora_alta_persona(text, text, text, text) FROM PUBLIC;
REVOKE ALL ON FUNCTION velmora_baja_persona(text, text) FROM PUBLIC;
REVOKE ALL ON FUNCTION velmora_personas() FROM PUBLIC;
GRANT EXECUTE ON FUNCTION velmora_eliminar_cliente(bigint, text, text, text) TO velmora_administrador;
GRANT EXECUTE ON FUNCTION velmora_eliminar_importacion(bigint, text, text, text) TO velmora_administrador;
GRANT EXECUTE ON FUNCTION velmora_restituir_importacion(bigint, text, text) TO velmora_administrador;
GRANT EXECUTE ON FUNCTION velmora_alta_persona(text, text, text, text) TO velmora_administrador;
GRANT EXECUTE ON FUNCTION velmora_baja_persona(text, text) TO velmora_administrador;
GRANT EXECUTE ON FUNCTION velmora_personas() TO velmora_administrador;
