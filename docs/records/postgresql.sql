-- The schema the suite's programs write every saved result into, and the
-- roles of the hospital's server (PostgreSQL 12 and later). Run as a
-- superuser (postgres), in the database the results go to:
--   psql -d <database> -v ON_ERROR_STOP=1 -v writer_password="'<a password>'" \
--        -v reader_password="'<another password>'" -f postgresql.sql
-- (reader_password may be left out: the ward reader's password is then
-- left as it is, none for a new role, as where the ward PCs read with
-- GSSAPI and no password exists.)
-- It is one transaction: it does all or nothing. Run again, it sets the
-- writer's password and puts back whatever was changed by hand since; the
-- rows already there stay. Run where the previous version of this file
-- made public.orvomed_record, it moves that table into the schema with
-- its rows and adds what is new.
--
-- The database believes no ward PC: their login, orvomed_writer, may
-- insert one row a statement into the columns a PC sends, and nothing
-- else. It reads no one's data, changes or removes nothing, and creates
-- nothing that another role's query might run. The server itself writes
-- when a row arrived, under which login and from which address, and
-- refuses a row that no program of the suite makes.
--
--   orvomed_owner   owns the schema, the table and the trigger's function;
--                   cannot log in, so no password of it exists anywhere
--   orvomed_writer  the ward PCs' login: INSERT on the columns a PC sends
--   orvomed_reader  no login: SELECT, and the quality views; grant it to the
--                   logins of the HIS and the reports
--                   (GRANT orvomed_reader TO his_reports;) and give each of
--                   them the same search_path as the reader's below
--   orvomed_ward_reader  the ward PCs' reading login (the ward's list, a
--                   patient's course): SELECT on the view
--                   orvomed.recent_assessments and on orvomed.stays where
--                   IT defines it, nothing else, not the table. The view
--                   shows a login only the wards orvomed.ward_access grants
--                   it; made with one row, ('orvomed_ward_reader', '*'):
--                   this shared login reads every ward.

\set ON_ERROR_STOP on
BEGIN;
-- Only what needs reading: not every "already exists, skipping" of a run again.
SET LOCAL client_min_messages = warning;

DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'orvomed_owner') THEN
        CREATE ROLE orvomed_owner;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'orvomed_writer') THEN
        CREATE ROLE orvomed_writer;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'orvomed_reader') THEN
        CREATE ROLE orvomed_reader;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'orvomed_ward_reader') THEN
        CREATE ROLE orvomed_ward_reader;
    END IF;
END
$$;
-- Whatever a role was made with before, by hand or by another script: a
-- superuser writer would pass every check below.
ALTER ROLE orvomed_owner NOLOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS;
ALTER ROLE orvomed_writer LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS
    PASSWORD :writer_password;
ALTER ROLE orvomed_reader NOLOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS;
-- NOINHERIT: a role granted to it by hand gives it nothing.
ALTER ROLE orvomed_ward_reader LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS NOINHERIT;
\if :{?reader_password}
ALTER ROLE orvomed_ward_reader PASSWORD :reader_password;
\endif
-- Whatever roles it was made a member of by hand: none.
DO $$
DECLARE
    m record;
BEGIN
    FOR m IN SELECT roleid::regrole AS granted FROM pg_auth_members
             WHERE member = 'orvomed_ward_reader'::regrole LOOP
        EXECUTE format('REVOKE %s FROM orvomed_ward_reader', m.granted);
    END LOOP;
END
$$;
-- pg_catalog first: an object named like a built-in one, wherever it lies,
-- is never what a reader's query runs. A role's setting is not inherited:
-- the readers' own logins need it too (ALTER ROLE his_reports SET ...).
ALTER ROLE orvomed_reader SET search_path = pg_catalog, orvomed;
ALTER ROLE orvomed_ward_reader SET search_path = pg_catalog, orvomed;

-- PostgreSQL 12 to 14 let every role create objects in public (15 no
-- longer does, but a database upgraded from 14 keeps its rights): a ward
-- PC's login could leave there a function or an operator that the owner's
-- or a reader's query then runs with their rights. Revoked whatever the
-- version, as are the rights every role has on a new database.
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
REVOKE ALL ON SCHEMA public FROM orvomed_writer, orvomed_reader, orvomed_ward_reader;
DO $$
BEGIN
    EXECUTE format('REVOKE CONNECT, TEMPORARY ON DATABASE %I FROM PUBLIC', current_database());
    EXECUTE format('REVOKE ALL ON DATABASE %I FROM orvomed_writer, orvomed_reader, orvomed_ward_reader',
                   current_database());
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO orvomed_writer, orvomed_reader, orvomed_ward_reader',
                   current_database());
    -- The previous release's programs insert into orvomed_record
    -- unqualified; in this database only, where the schema is.
    EXECUTE format('ALTER ROLE orvomed_writer IN DATABASE %I SET search_path = pg_catalog, orvomed',
                   current_database());
END
$$;

-- A large object lies outside every schema, check and right of the table:
-- a ward PC's login could store there data of any size, kept for good.
-- Every role of the database may create and write one until these are
-- revoked; the database's owner keeps them, unless it is one of these roles
-- (a superuser needs no right).
DO $$
DECLARE
    writing constant text := 'pg_catalog.lo_creat(integer), pg_catalog.lo_create(oid), '
        'pg_catalog.lo_from_bytea(oid, bytea), pg_catalog.lowrite(integer, bytea), '
        'pg_catalog.lo_put(oid, bigint, bytea), pg_catalog.lo_truncate(integer, integer), '
        'pg_catalog.lo_truncate64(integer, bigint)';
    owner name := (SELECT pg_get_userbyid(datdba) FROM pg_database WHERE datname = current_database());
BEGIN
    -- lo_import reads the server's own files: a superuser's alone, as 11 and later have it.
    EXECUTE format('REVOKE EXECUTE ON FUNCTION %s, pg_catalog.lo_import(text), pg_catalog.lo_import(text, oid) '
                   'FROM PUBLIC', writing);
    IF owner NOT IN ('orvomed_owner', 'orvomed_writer', 'orvomed_reader', 'orvomed_ward_reader') THEN
        EXECUTE format('GRANT EXECUTE ON FUNCTION %s TO %I', writing, owner);
    END IF;
END
$$;

CREATE SCHEMA IF NOT EXISTS orvomed AUTHORIZATION orvomed_owner;
ALTER SCHEMA orvomed OWNER TO orvomed_owner;
REVOKE ALL ON SCHEMA orvomed FROM PUBLIC, orvomed_writer, orvomed_reader, orvomed_ward_reader;
GRANT USAGE ON SCHEMA orvomed TO orvomed_writer, orvomed_reader, orvomed_ward_reader;

-- The previous version's table, its indexes and, when it was partitioned,
-- its partitions, into the schema.
DO $$
DECLARE
    part regclass;
BEGIN
    IF to_regclass('public.orvomed_record') IS NULL THEN
        RETURN;
    END IF;
    IF to_regclass('orvomed.orvomed_record') IS NOT NULL THEN
        RAISE EXCEPTION 'public.orvomed_record and orvomed.orvomed_record both exist: move the rows of the first by hand';
    END IF;
    ALTER TABLE public.orvomed_record SET SCHEMA orvomed;
    FOR part IN SELECT relid FROM pg_partition_tree('orvomed.orvomed_record') WHERE level > 0 LOOP
        EXECUTE format('ALTER TABLE %s SET SCHEMA orvomed', part);
    END LOOP;
END
$$;

CREATE TABLE IF NOT EXISTS orvomed.orvomed_record (
    record_id       char(36)         PRIMARY KEY,   -- the record's UUID, made at Save; the local row has it too
    saved_at        timestamptz      NOT NULL,      -- the save time, with the PC's UTC offset
    tool_id         integer          NOT NULL,      -- the tool's number (18: Braden)
    tool_title      varchar(200)     NOT NULL,
    program_version varchar(32)      NOT NULL,
    computer        varchar(64)      NOT NULL,      -- as the PC names itself
    windows_user    varchar(256)     NOT NULL,      -- as the PC names its user
    nurse_id        varchar(32)      NOT NULL,      -- empty when not given
    nurse_name      varchar(32)      NOT NULL,
    patient_id      varchar(32)      NOT NULL,      -- 住院号; empty for a calculation that concerns no one
    patient_name    varchar(32)      NOT NULL,
    bed             varchar(32)      NOT NULL,
    ward            varchar(32)      NOT NULL,
    inputs          text             NOT NULL,      -- one "label=value" line per input
    outputs         text             NOT NULL,      -- one "label=value unit" line per output ("--" when it failed)
    headline_value  double precision,               -- the headline output's value (a scale's total); NULL when it failed or the tool writes a report
    verdict         text             NOT NULL,
    level           smallint         NOT NULL,      -- 0 to 3
    level_words     varchar(32)      NOT NULL,      -- 完成 / 提醒 / 需关注 / 需立即处理
    result_text     text             NOT NULL,      -- the whole result as Copy puts it on the clipboard
    -- The server's own words, which no PC can give (the defaults below):
    received_at     timestamptz      NOT NULL,      -- when the row arrived
    db_user         text             NOT NULL,      -- the login that inserted it
    client_addr     inet,                           -- the address it came from
    -- Added by later versions, at the end:
    visit_id        varchar(32)      NOT NULL DEFAULT '',  -- the stay's number from the hospital system; empty when not given
    admitted_at     timestamptz,                    -- the stay's admission from the hospital system
    assessed_at     timestamptz,                    -- when the result was calculated (saved_at is when it was saved)
    due_at          timestamptz                     -- when it is due again; NULL where no interval applies
);
-- A table of the previous version: rows that were there before keep the
-- upgrade's time as received_at (they arrived before it), an empty db_user
-- and no client_addr: the server did not note them then.
ALTER TABLE orvomed.orvomed_record
    ADD COLUMN IF NOT EXISTS received_at timestamptz NOT NULL DEFAULT now(),
    ADD COLUMN IF NOT EXISTS db_user     text        NOT NULL DEFAULT '',
    ADD COLUMN IF NOT EXISTS client_addr inet;
ALTER TABLE orvomed.orvomed_record
    ALTER COLUMN received_at SET DEFAULT now(),
    ALTER COLUMN db_user     SET DEFAULT session_user,
    ALTER COLUMN client_addr SET DEFAULT inet_client_addr();

-- A table of the version before: first_value held the first output's
-- value, which for some scales is one item, not the total. It is renamed
-- for what it holds now, and emptied where it held another output than
-- the headline (NRS 2002, NEWS2, the medical bleeding form, MEWS, Waterlow;
-- the infusion and pump rates; the children's fluids, whose daily volume
-- would read as an hourly rate): their result_text keeps every value.
DO $$
BEGIN
    IF EXISTS (SELECT FROM pg_attribute WHERE attrelid = 'orvomed.orvomed_record'::regclass
               AND attname = 'first_value' AND NOT attisdropped) THEN
        ALTER TABLE orvomed.orvomed_record RENAME COLUMN first_value TO headline_value;
        UPDATE orvomed.orvomed_record SET headline_value = NULL WHERE tool_id IN (13, 14, 16, 21, 23, 26, 31, 39);
    END IF;
END
$$;
ALTER TABLE orvomed.orvomed_record
    ADD COLUMN IF NOT EXISTS visit_id    varchar(32) NOT NULL DEFAULT '',
    ADD COLUMN IF NOT EXISTS admitted_at timestamptz,
    ADD COLUMN IF NOT EXISTS assessed_at timestamptz;
ALTER TABLE orvomed.orvomed_record
    ADD COLUMN IF NOT EXISTS due_at      timestamptz;

-- A ward's month, and one patient's history.
CREATE INDEX IF NOT EXISTS orvomed_record_ward_time ON orvomed.orvomed_record (ward, saved_at);
CREATE INDEX IF NOT EXISTS orvomed_record_patient ON orvomed.orvomed_record (patient_id, tool_id, saved_at);
-- The ward's list: each patient's latest of each scale from the index
-- alone, without reading a month of the ward's rows from the table. That
-- needs the table's pages marked all-visible, which vacuum does: on a
-- table that is only ever inserted into, PostgreSQL 13 and later vacuum it
-- after so many new rows (here about a third of a day's), not after a
-- fifth of the table (a year's rows, then).
CREATE INDEX IF NOT EXISTS orvomed_record_ward_latest ON orvomed.orvomed_record (ward, saved_at)
    INCLUDE (patient_id, patient_name, tool_id, assessed_at);
-- The quality figures (the views at the end): a month's assessments by the
-- time they were made, a month's reassessments by the time they fall due,
-- and a patient's next assessment of a scale or the first after an
-- admission by that time, and a month's admissions by the admission the
-- rows carry, each from the index alone (as the ward's list does): a month
-- is some 900,000 rows of a hospital's, one page a row in the table. About
-- 300 bytes a row for the four (PostgreSQL 15).
CREATE INDEX IF NOT EXISTS orvomed_record_assessed ON orvomed.orvomed_record ((coalesce(assessed_at, saved_at)))
    INCLUDE (ward, tool_id, patient_id, patient_name, level, assessed_at, saved_at);
CREATE INDEX IF NOT EXISTS orvomed_record_due ON orvomed.orvomed_record (due_at)
    INCLUDE (ward, tool_id, patient_id, patient_name, assessed_at, saved_at) WHERE due_at IS NOT NULL;
CREATE INDEX IF NOT EXISTS orvomed_record_admitted ON orvomed.orvomed_record (admitted_at)
    INCLUDE (ward, tool_id, patient_id, patient_name, assessed_at, saved_at) WHERE admitted_at IS NOT NULL;
CREATE INDEX IF NOT EXISTS orvomed_record_patient_time
    ON orvomed.orvomed_record (patient_id, tool_id, (coalesce(assessed_at, saved_at)))
    INCLUDE (patient_name, level, assessed_at, saved_at);
DO $$
BEGIN
    IF current_setting('server_version_num')::int >= 130000 THEN
        ALTER TABLE orvomed.orvomed_record
            SET (autovacuum_vacuum_insert_threshold = 10000, autovacuum_vacuum_insert_scale_factor = 0);
    END IF;
END
$$;

-- What no program of the suite sends. A text's bound is well above the
-- longest the programs make (48 inputs of 128 characters, 16 outputs of
-- 256, a verdict of 512, the longest report as copied about 17,000), so
-- that only a forged or broken row meets one. saved_at is the PC's clock:
-- one running ahead by more than 5 minutes, the skew Kerberos tolerates and
-- a domain's PCs therefore keep, does not send a real save time.
-- Added unchecked first, so that an upgrade keeps the rows that were there
-- before; each is then checked over them, and one they break is named in a
-- warning and still holds for every new row. Once those rows are mended,
-- run the script again.
DO $$
DECLARE
    c record;
BEGIN
    FOR c IN SELECT * FROM (VALUES
        ('orvomed_record_level_range',   'level BETWEEN 0 AND 3'),
        ('orvomed_record_id_form',       $re$record_id ~ '^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$'$re$),
        ('orvomed_record_saved_in_time', $re$saved_at <= received_at + interval '5 minutes'$re$),
        ('orvomed_record_inputs_length',      'char_length(inputs) <= 8192'),
        ('orvomed_record_outputs_length',     'char_length(outputs) <= 8192'),
        ('orvomed_record_verdict_length',     'char_length(verdict) <= 1024'),
        ('orvomed_record_result_text_length', 'char_length(result_text) <= 32768')
    ) AS v (name, condition) LOOP
        IF NOT EXISTS (SELECT FROM pg_constraint
                       WHERE conrelid = 'orvomed.orvomed_record'::regclass AND conname = c.name) THEN
            EXECUTE format('ALTER TABLE orvomed.orvomed_record ADD CONSTRAINT %I CHECK (%s) NOT VALID',
                           c.name, c.condition);
        END IF;
        IF NOT (SELECT convalidated FROM pg_constraint
                WHERE conrelid = 'orvomed.orvomed_record'::regclass AND conname = c.name) THEN
            BEGIN
                EXECUTE format('ALTER TABLE orvomed.orvomed_record VALIDATE CONSTRAINT %I', c.name);
            EXCEPTION WHEN check_violation THEN
                RAISE WARNING 'rows already in orvomed.orvomed_record break %: it holds for new rows only', c.name
                    USING HINT = format('SELECT record_id, computer FROM orvomed.orvomed_record WHERE NOT (%s);',
                                        c.condition);
            END;
        END IF;
    END LOOP;
END
$$;

-- A PC sends one row a statement: a statement that brings more (INSERT
-- ... SELECT, a list of VALUES, COPY) is a flood or a forgery. Owned by
-- the table's owner, with a search path of its own, so that nothing of
-- the inserting session's choosing runs in it.
CREATE OR REPLACE FUNCTION orvomed.orvomed_record_one_row() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp
AS $$
BEGIN
    IF (SELECT count(*) FROM arrived) > 1 THEN
        RAISE EXCEPTION 'orvomed.orvomed_record takes one row a statement'
            USING ERRCODE = 'check_violation';
    END IF;
    RETURN NULL;
END
$$;
ALTER FUNCTION orvomed.orvomed_record_one_row() OWNER TO orvomed_owner;
REVOKE ALL ON FUNCTION orvomed.orvomed_record_one_row() FROM PUBLIC;
DROP TRIGGER IF EXISTS orvomed_record_one_row ON orvomed.orvomed_record;
CREATE TRIGGER orvomed_record_one_row AFTER INSERT ON orvomed.orvomed_record
    REFERENCING NEW TABLE AS arrived
    FOR EACH STATEMENT EXECUTE FUNCTION orvomed.orvomed_record_one_row();

ALTER TABLE orvomed.orvomed_record OWNER TO orvomed_owner;
DO $$
DECLARE
    part regclass;
BEGIN
    FOR part IN SELECT relid FROM pg_partition_tree('orvomed.orvomed_record') WHERE level > 0 LOOP
        EXECUTE format('ALTER TABLE %s OWNER TO orvomed_owner', part);
        EXECUTE format('REVOKE ALL ON %s FROM PUBLIC, orvomed_writer, orvomed_reader, orvomed_ward_reader', part);
    END LOOP;
END
$$;

-- Revoking the table's rights revokes its columns' too: what the previous
-- version granted, and anything granted by hand, goes.
REVOKE ALL ON orvomed.orvomed_record FROM PUBLIC, orvomed_writer, orvomed_reader, orvomed_ward_reader;
GRANT INSERT (record_id, saved_at, tool_id, tool_title, program_version, computer, windows_user,
              nurse_id, nurse_name, patient_id, patient_name, bed, ward, inputs, outputs,
              headline_value, verdict, level, level_words, result_text, visit_id, admitted_at, assessed_at,
              due_at)
    ON orvomed.orvomed_record TO orvomed_writer;
GRANT SELECT ON orvomed.orvomed_record TO orvomed_reader;

-- Who may read which ward's assessments through the view below: a row per
-- login (as the server names it: session_user) and ward (as the records
-- write it), '*' for every ward. Kept by the hospital, read by the view's
-- owner alone. Made with one row, so that the shared reading login reads
-- every ward from the start; where the nurses sign in with logins of
-- their own, delete it and grant each login its wards.
DO $$
BEGIN
    IF to_regclass('orvomed.ward_access') IS NULL THEN
        CREATE TABLE orvomed.ward_access (
            login varchar(128) NOT NULL,
            ward  varchar(32)  NOT NULL,
            PRIMARY KEY (login, ward)
        );
        INSERT INTO orvomed.ward_access (login, ward) VALUES ('orvomed_ward_reader', '*');
    END IF;
END
$$;
ALTER TABLE orvomed.ward_access OWNER TO orvomed_owner;
REVOKE ALL ON orvomed.ward_access FROM PUBLIC, orvomed_writer, orvomed_reader, orvomed_ward_reader;

-- Every assessment of a patient of the last 30 days, of the wards the
-- login may read: what the ward's list and a patient's course read. It
-- runs with its owner's rights, which read the table; the reading login
-- reads the view alone. session_user is the login itself, which SET ROLE
-- does not change. security_barrier: no condition of the reading query
-- (a function that raises a notice with what it sees) runs before the
-- view's own, so rows of a ward not granted never reach one. band: the
-- verdict's words before its first full-width bracket, colon or comma,
-- at most 16 characters, else empty (as record_band_words has it).
-- saved_at bounds the rows as well: a result is calculated before it is
-- saved, and the (ward, saved_at) index finds them by it; the ward's list
-- takes each patient's latest of a scale from the index alone and reads
-- the table for that one row (saved_at, the last column, finds it).
CREATE OR REPLACE VIEW orvomed.recent_assessments WITH (security_barrier) AS
SELECT r.patient_id, r.patient_name, r.bed, r.ward, r.visit_id, r.admitted_at, r.nurse_id, r.nurse_name,
       r.tool_id, r.headline_value, r.level,
       CASE WHEN char_length(b.words) BETWEEN 1 AND 16 THEN b.words ELSE '' END::text AS band,
       coalesce(r.assessed_at, r.saved_at) AS assessed_at, r.due_at, r.saved_at
FROM orvomed.orvomed_record AS r
CROSS JOIN LATERAL (
    SELECT rtrim(substring(r.verdict FROM '^[^' || chr(65288) || chr(65306) || chr(65292) || ']*'), ' ') AS words
) AS b
WHERE r.patient_id <> ''
  AND r.saved_at >= now() - interval '30 days'
  AND coalesce(r.assessed_at, r.saved_at) >= now() - interval '30 days'
  AND EXISTS (SELECT FROM orvomed.ward_access AS a
              WHERE a.login = session_user::text AND (a.ward = r.ward OR a.ward = '*'));
ALTER VIEW orvomed.recent_assessments OWNER TO orvomed_owner;
REVOKE ALL ON orvomed.recent_assessments FROM PUBLIC, orvomed_writer, orvomed_reader, orvomed_ward_reader;
GRANT SELECT ON orvomed.recent_assessments TO orvomed_ward_reader;
-- The hospital's stays, where its IT has defined them (说明-README.md):
-- run this script again once they are there, or grant it by hand.
DO $$
BEGIN
    IF to_regclass('orvomed.stays') IS NOT NULL THEN
        GRANT SELECT ON orvomed.stays TO orvomed_ward_reader;
    END IF;
END
$$;


-- The nursing quality department's figures, per ward and month: the one
-- place they are defined. OrvoMedQuality.exe and the hospital's own report
-- tools read these views through orvomed_reader and compute nothing again.
-- A patient is a patient number with a name (as the ward's list matches
-- them); a row of no patient (patient_id '') is a calculation for no one
-- and never counts. An assessment's time is when it was calculated, else
-- (rows of older programs) when it was saved. A month is the calendar
-- month in the reading session's time zone: set the reading logins' own,
-- ALTER ROLE his_reports SET timezone = 'Asia/Shanghai' (说明-README.md
-- §10); a server left in UTC would put the first eight hours of a month
-- in the one before. (And jit = off: compiling a month's query takes
-- longer than running it; and work_mem = '32MB', with which a month's
-- patients are grouped in memory, not sorted on disk.)
--
-- The months a report may ask for, from 30 years back (inpatient records
-- are kept 30 years) to the current one, with their bounds. Every view
-- below joins it, so that a reader's "WHERE month = ..." reaches the rows
-- through their time's index instead of computing each row's month.
-- time_zone: the zone the months are in.
CREATE OR REPLACE VIEW orvomed.quality_months AS
SELECT b.starts::date AS month, b.starts, b.starts + interval '1 month' AS ends,
       current_setting('TimeZone')::text AS time_zone
FROM generate_series(0, 12 * 30) AS k
CROSS JOIN LATERAL (SELECT date_trunc('month', now()) - k * interval '1 month' AS starts) AS b;

-- The families the national indicators report, with the suite's scales of
-- each (the tools as suite/ numbers them): the sheets of the workbook.
CREATE OR REPLACE VIEW orvomed.quality_families AS
SELECT f.tool_id, f.family
FROM (VALUES (18, '压力性损伤'), (37, '压力性损伤'), (39, '压力性损伤'), (19, '跌倒'), (34, '跌倒'),
             (24, 'VTE'), (22, 'VTE'), (36, 'VTE'), (21, '营养'),
             (23, '早期预警'), (31, '早期预警'), (35, '早期预警')) AS f(tool_id, family);

-- Each assessment of a patient in the month it was made, with its scale's
-- family (NULL for a tool of none): what the counts below are made of.
CREATE OR REPLACE VIEW orvomed.quality_assessed AS
SELECT m.month, r.ward, f.family, r.tool_id, r.patient_id, r.patient_name, r.level >= 2 AS high_risk
FROM orvomed.quality_months AS m
JOIN orvomed.orvomed_record AS r
  ON coalesce(r.assessed_at, r.saved_at) >= m.starts AND coalesce(r.assessed_at, r.saved_at) < m.ends
LEFT JOIN orvomed.quality_families AS f ON f.tool_id = r.tool_id
WHERE r.patient_id <> '';

-- Assessments per scale and family (护理敏感质量指标 2016 and
-- 护理专业医疗质量控制指标 2020: the risk assessments behind
-- 住院患者跌倒发生率 and the pressure injury rate): of a month, the
-- assessments made, the patients assessed, the results of level 2 or 3
-- (high risk; for Caprini and Padua moderate or high), the patients with at
-- least one of them, and 高风险患者占比 = high_risk_patients / patients;
-- per ward (the row's) and scale, per ward and family (tool_id NULL: the
-- family's scales together), and for the whole hospital (ward NULL) per
-- scale and per family (the report's 合计). A patient counts once however
-- many wards or scales of the family assessed them, which no sum of the
-- wards' or scales' rows can give: a patient moved on is assessed on two
-- wards. The reassessments due and on time add up as they are, each
-- counted once on one ward and scale (quality_reassessments). A month's
-- assessments are grouped by patient once and each grouping counts those
-- patients: a count of distinct patients per group would sort every
-- group's rows again.
CREATE OR REPLACE VIEW orvomed.quality_totals AS
SELECT m.month, t.ward, t.family, t.tool_id, t.assessments, t.patients, t.high_risk_results, t.high_risk_patients,
       t.high_risk_patients::double precision / t.patients AS high_risk_share
FROM orvomed.quality_months AS m
CROSS JOIN LATERAL (
    WITH p AS MATERIALIZED (
        SELECT a.ward, a.family, a.tool_id, a.patient_id, a.patient_name, count(*) AS results,
               count(*) FILTER (WHERE a.high_risk) AS high_results
        FROM orvomed.quality_assessed AS a
        WHERE a.month = m.month AND a.family IS NOT NULL
        GROUP BY a.ward, a.family, a.tool_id, a.patient_id, a.patient_name)
    SELECT g.ward, g.family, g.tool_id, sum(g.results)::bigint AS assessments, count(*) AS patients,
           sum(g.high_results)::bigint AS high_risk_results, count(*) FILTER (WHERE g.high_results > 0) AS high_risk_patients
    FROM (SELECT ward, family, tool_id, results, high_results FROM p
          UNION ALL
          SELECT ward, family, NULL::int, sum(results), sum(high_results)
          FROM p GROUP BY ward, family, patient_id, patient_name
          UNION ALL
          SELECT NULL::varchar(32), family, tool_id, sum(results), sum(high_results)
          FROM p GROUP BY family, tool_id, patient_id, patient_name
          UNION ALL
          SELECT NULL::varchar(32), family, NULL, sum(results), sum(high_results)
          FROM p GROUP BY family, patient_id, patient_name) AS g
    GROUP BY g.ward, g.family, g.tool_id) AS t;

-- The wards' rows of each scale, as the report tools of the first version
-- read them.
CREATE OR REPLACE VIEW orvomed.quality_scales AS
SELECT month, ward, tool_id, assessments, patients, high_risk_results, high_risk_patients, high_risk_share
FROM orvomed.quality_totals
WHERE ward IS NOT NULL AND tool_id IS NOT NULL;

-- Without the hospital's stays, the admission each row carries (from the
-- hospital system's command line) stands for one: 入院 24 h 内评估率
-- (护理专业医疗质量控制指标 2020; for VTE the 2022 VTE quality indicators'
-- admission assessment) = of a month's admissions, those whose patient has
-- that scale's assessment from the admission to 24 hours after it, over
-- the month's admissions, which only the HIS knows (the workbook's HIS
-- sheet). Per month of the admission, counted on the ward that assessed
-- (an admission assessed on two wards counts on each) and once for the
-- whole hospital (ward NULL): braden_24h, morse_24h, nrs2002_24h, vte_24h
-- (Caprini or Padua), as quality_stays counts them where IT defines stays.
CREATE OR REPLACE VIEW orvomed.quality_admitted AS
SELECT m.month, r.ward, r.patient_id, r.patient_name, r.admitted_at,
       CASE WHEN r.tool_id IN (22, 24) THEN 24 ELSE r.tool_id END AS scale
FROM orvomed.quality_months AS m
JOIN orvomed.orvomed_record AS r ON r.admitted_at >= m.starts AND r.admitted_at < m.ends
WHERE r.patient_id <> '' AND r.tool_id IN (18, 19, 21, 22, 24)
  AND coalesce(r.assessed_at, r.saved_at) BETWEEN r.admitted_at AND r.admitted_at + interval '24 hours';

CREATE OR REPLACE VIEW orvomed.quality_admissions AS
SELECT a.month, a.ward,
       count(DISTINCT (a.patient_id, a.patient_name, a.admitted_at)) FILTER (WHERE a.scale = 18) AS braden_24h,
       count(DISTINCT (a.patient_id, a.patient_name, a.admitted_at)) FILTER (WHERE a.scale = 19) AS morse_24h,
       count(DISTINCT (a.patient_id, a.patient_name, a.admitted_at)) FILTER (WHERE a.scale = 21) AS nrs2002_24h,
       count(DISTINCT (a.patient_id, a.patient_name, a.admitted_at)) FILTER (WHERE a.scale = 24) AS vte_24h
FROM (SELECT month, ward, patient_id, patient_name, admitted_at, scale FROM orvomed.quality_admitted
      UNION ALL
      SELECT month, NULL, patient_id, patient_name, admitted_at, scale FROM orvomed.quality_admitted) AS a
GROUP BY a.month, a.ward;

-- Reassessments on time (the same indicators' 复评及时率 = on_time / due, as the workbook names it):
-- an assessment with a due time is one reassessment due in the month its
-- due time falls in, once that time has passed, counted on the ward and
-- scale of that assessment. It was on time when the same patient has a
-- later assessment of the same scale at or before the due time, on any
-- ward (a patient moved on is reassessed there). Where orvomed.stays is
-- defined, a due time at or after the end of the stay the assessment was
-- made in is not due: the patient had gone home. So the view is made here
-- with that rule or without it, as the stays are there or not when this
-- script runs: run it again once IT defines them (or drops them). Each
-- due row's next assessment is looked for once, not once a column.
DO $$
DECLARE
    stays_rule text := '';
BEGIN
    IF to_regclass('orvomed.stays') IS NOT NULL THEN
        stays_rule := $rule$
        AND NOT EXISTS (SELECT FROM orvomed.stays AS s
                        WHERE s.patient_id = r.patient_id AND s.patient_name = r.patient_name
                          AND s.admitted_at <= coalesce(r.assessed_at, r.saved_at)
                          AND s.discharged_at >= coalesce(r.assessed_at, r.saved_at)
                          AND s.discharged_at <= r.due_at)$rule$;
    END IF;
    EXECUTE $view$
CREATE OR REPLACE VIEW orvomed.quality_reassessments AS
SELECT g.month, g.ward, g.tool_id, g.due, g.on_time, g.on_time::double precision / nullif(g.due, 0) AS on_time_share
FROM (
SELECT d.month, d.ward, d.tool_id, count(*) AS due, count(*) FILTER (WHERE d.met) AS on_time
FROM (SELECT m.month, r.ward, r.tool_id,
             EXISTS (SELECT FROM orvomed.orvomed_record AS n
                     WHERE n.patient_id = r.patient_id AND n.tool_id = r.tool_id
                       AND n.patient_name = r.patient_name
                       AND coalesce(n.assessed_at, n.saved_at) > coalesce(r.assessed_at, r.saved_at)
                       AND coalesce(n.assessed_at, n.saved_at) <= r.due_at) AS met
      FROM orvomed.quality_months AS m
      JOIN orvomed.orvomed_record AS r ON r.due_at >= m.starts AND r.due_at < m.ends
      WHERE r.patient_id <> '' AND r.due_at IS NOT NULL AND r.due_at <= now()$view$ || stays_rule || $view$) AS d
GROUP BY d.month, d.ward, d.tool_id) AS g$view$;
END
$$;

-- From the hospital's stays, where IT defines them, per month and the
-- stay's ward:
--   admissions: the stays admitted in the month; braden_24h, morse_24h,
--     nrs2002_24h, vte_24h (Caprini or Padua): of those, the ones whose
--     patient has that scale's assessment from the admission to 24 hours
--     after it (入院 24 h 内评估率 = braden_24h / admissions, and so on;
--     for VTE the 2022 VTE quality indicators' admission assessment);
--   discharges: the stays ended in the month; vte_assessed_discharges: of
--     those, the ones with a Caprini or Padua assessment during the stay
--     (VTE 风险评估率 = vte_assessed_discharges / discharges, 2022 VTE
--     quality indicators, behind the 2021–2023 national target of a
--     standard VTE prophylaxis); vte_moderate_high_discharges: the ones of
--     those with a result of moderate or high risk (level 2 or 3);
--   bed_days: the occupied bed-days of the month (实际占用床日数, the
--     denominator of 住院患者跌倒发生率, ‰), a midnight census: each
--     midnight of the month a patient is in hospital counts one, a patient
--     still in hospital up to the current time.
-- One row for each month and ward with any of them. The stays are found
-- by their admission, discharge and patient: 说明-README.md §10 names the
-- indexes IT's table needs.
DO $$
BEGIN
    IF to_regclass('orvomed.stays') IS NULL THEN
        RETURN;
    END IF;
    CREATE OR REPLACE VIEW orvomed.quality_stays AS
    SELECT e.month, e.ward, sum(e.admissions) AS admissions, sum(e.discharges) AS discharges,
           sum(e.bed_days) AS bed_days, sum(e.braden_24h) AS braden_24h, sum(e.morse_24h) AS morse_24h,
           sum(e.nrs2002_24h) AS nrs2002_24h, sum(e.vte_24h) AS vte_24h,
           sum(e.vte_assessed) AS vte_assessed_discharges, sum(e.vte_moderate_high) AS vte_moderate_high_discharges
    FROM (SELECT m.month, s.ward::varchar(32) AS ward, 1 AS admissions, 0 AS discharges, 0 AS bed_days,
                 a.braden::int AS braden_24h, a.morse::int AS morse_24h, a.nrs2002::int AS nrs2002_24h,
                 a.vte::int AS vte_24h, 0 AS vte_assessed, 0 AS vte_moderate_high
          FROM orvomed.quality_months AS m
          JOIN orvomed.stays AS s ON s.admitted_at >= m.starts AND s.admitted_at < m.ends
          CROSS JOIN LATERAL (
              SELECT EXISTS (SELECT FROM orvomed.orvomed_record AS r
                             WHERE r.patient_id = s.patient_id AND r.tool_id = 18 AND r.patient_name = s.patient_name
                               AND coalesce(r.assessed_at, r.saved_at) BETWEEN s.admitted_at
                                   AND s.admitted_at + interval '24 hours') AS braden,
                     EXISTS (SELECT FROM orvomed.orvomed_record AS r
                             WHERE r.patient_id = s.patient_id AND r.tool_id = 19 AND r.patient_name = s.patient_name
                               AND coalesce(r.assessed_at, r.saved_at) BETWEEN s.admitted_at
                                   AND s.admitted_at + interval '24 hours') AS morse,
                     EXISTS (SELECT FROM orvomed.orvomed_record AS r
                             WHERE r.patient_id = s.patient_id AND r.tool_id = 21 AND r.patient_name = s.patient_name
                               AND coalesce(r.assessed_at, r.saved_at) BETWEEN s.admitted_at
                                   AND s.admitted_at + interval '24 hours') AS nrs2002,
                     EXISTS (SELECT FROM orvomed.orvomed_record AS r
                             WHERE r.patient_id = s.patient_id AND r.tool_id IN (24, 22) AND r.patient_name = s.patient_name
                               AND coalesce(r.assessed_at, r.saved_at) BETWEEN s.admitted_at
                                   AND s.admitted_at + interval '24 hours') AS vte) AS a
          UNION ALL
          SELECT m.month, s.ward::varchar(32), 0, 1, 0, 0, 0, 0, 0, v.assessed::int, v.moderate_high::int
          FROM orvomed.quality_months AS m
          JOIN orvomed.stays AS s ON s.discharged_at >= m.starts AND s.discharged_at < m.ends
          CROSS JOIN LATERAL (
              SELECT EXISTS (SELECT FROM orvomed.orvomed_record AS r
                             WHERE r.patient_id = s.patient_id AND r.tool_id IN (24, 22) AND r.patient_name = s.patient_name
                               AND coalesce(r.assessed_at, r.saved_at) BETWEEN s.admitted_at AND s.discharged_at)
                         AS assessed,
                     EXISTS (SELECT FROM orvomed.orvomed_record AS r
                             WHERE r.patient_id = s.patient_id AND r.tool_id IN (24, 22) AND r.patient_name = s.patient_name
                               AND r.level >= 2
                               AND coalesce(r.assessed_at, r.saved_at) BETWEEN s.admitted_at AND s.discharged_at)
                         AS moderate_high) AS v
          UNION ALL
          -- The midnights from the first at or after the later of the
          -- admission and the month's start, to the last before the
          -- earliest of the discharge, the month's end and now: counted as
          -- the local dates between the two, each moved on a day unless it
          -- lies at midnight itself.
          SELECT m.month, s.ward::varchar(32), 0, 0,
                 greatest(0, (w.until::date - w.since::date) + (w.until::time > time '00:00')::int
                             - (w.since::time > time '00:00')::int),
                 0, 0, 0, 0, 0, 0
          FROM orvomed.quality_months AS m
          JOIN orvomed.stays AS s
            ON s.admitted_at < m.ends AND (s.discharged_at > m.starts OR s.discharged_at IS NULL)
          CROSS JOIN LATERAL (SELECT greatest(s.admitted_at, m.starts) AS since,
                                     least(s.discharged_at, m.ends, now()) AS until) AS w) AS e
    GROUP BY e.month, e.ward
    HAVING sum(e.admissions) > 0 OR sum(e.discharges) > 0 OR sum(e.bed_days) > 0;
    -- The views read the stays with their owner's rights.
    GRANT SELECT ON orvomed.stays TO orvomed_owner;
    ALTER VIEW orvomed.quality_stays OWNER TO orvomed_owner;
    REVOKE ALL ON orvomed.quality_stays FROM PUBLIC, orvomed_writer, orvomed_reader, orvomed_ward_reader;
    GRANT SELECT ON orvomed.quality_stays TO orvomed_reader;
END
$$;

-- The readers' views: the HIS's and the reports' logins read them through
-- orvomed_reader; the ward PCs' logins do not.
DO $$
DECLARE
    v text;
BEGIN
    FOREACH v IN ARRAY ARRAY['quality_months', 'quality_families', 'quality_scales', 'quality_totals',
                             'quality_reassessments', 'quality_admissions'] LOOP
        EXECUTE format('ALTER VIEW orvomed.%I OWNER TO orvomed_owner', v);
        EXECUTE format('REVOKE ALL ON orvomed.%I FROM PUBLIC, orvomed_writer, orvomed_reader, orvomed_ward_reader', v);
        EXECUTE format('GRANT SELECT ON orvomed.%I TO orvomed_reader', v);
    END LOOP;
    -- The rows the figures are made of name patients: the views above read
    -- them with their owner's rights, no login does.
    FOREACH v IN ARRAY ARRAY['quality_assessed', 'quality_admitted'] LOOP
        EXECUTE format('ALTER VIEW orvomed.%I OWNER TO orvomed_owner', v);
        EXECUTE format('REVOKE ALL ON orvomed.%I FROM PUBLIC, orvomed_writer, orvomed_reader, orvomed_ward_reader', v);
    END LOOP;
END
$$;

COMMIT;
