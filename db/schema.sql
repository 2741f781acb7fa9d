-- schema.sql: the VELMORA database: schemas, tables, views, domains,
-- sequences and server functions.
--
-- Runs once into an empty database as the role that owns it; needs no
-- superuser and names no role. Column types are chosen for what the client
-- sees through the PostgreSQL Unicode ODBC driver (BoolsAsChar=1,
-- TextAsLongVarchar=1, MaxVarcharSize=255, MaxLongVarcharSize=8190):
--   varchar(n)     -> wide string n (long wide text above 255)
--   text           -> long wide text 8190
--   numeric(15,0)  -> BCD(15,0)            numeric(15,4) -> BCD(15,4)
--   numeric        -> FMTBCD(28,6)         boolean       -> 8-bit string 5
--   serial         -> autoincrement        integer       -> integer
--   bigint (count) -> largeint             date / timestamp -> date / date-time
-- A key that the client reads as a plain integer is an integer column that
-- a trigger fills from its sequence (the driver reports a column with a
-- sequence default as autoincrement).
--
-- Rows with id 0 (fixture.sql) stand for "none" wherever the client writes 0
-- into a reference; the foreign keys below rely on them.

SET client_min_messages = warning;

CREATE SCHEMA cmn_department;
CREATE SCHEMA cmn_contractor;
CREATE SCHEMA cmn_inventory_items;
CREATE SCHEMA cmn_msm;
CREATE SCHEMA hrms_staffpos;
CREATE SCHEMA adm_role;
CREATE SCHEMA adm_user;
CREATE SCHEMA mnf_operation;
CREATE SCHEMA mnf_proc_tech;
CREATE SCHEMA mnf_app;
CREATE SCHEMA mnf_doc;
CREATE SCHEMA stk_stocks;
CREATE SCHEMA stk_purchase;
CREATE SCHEMA accounts_dep;

-- ---------------------------------------------------------------------------
-- Domains the client casts to ("1::t_boolean", "now()::t_date", ...).
-- The server reports a domain as its base type, so the casts read back as
-- the base type's field.

CREATE DOMAIN public.t_boolean AS boolean;
CREATE DOMAIN public.t_date AS date;
CREATE DOMAIN public.t_datetime AS timestamp without time zone;
CREATE DOMAIN public.t_money AS numeric;
CREATE DOMAIN public.t_id AS numeric(15,0);

-- ---------------------------------------------------------------------------
-- Client-version lock: one row (build date yyyymmdd, build time in seconds,
-- the decimal separator the client writes into SQL text).

CREATE TABLE public.ver (
  d     integer NOT NULL DEFAULT 0,
  t     integer NOT NULL DEFAULT 0,
  delim varchar(255)
);
-- At most one row, without a key column the client would see.
CREATE UNIQUE INDEX ver_single_row ON public.ver ((true));

-- Fills a key left empty by an insert from the sequence named by the
-- trigger's argument.
CREATE FUNCTION public.assign_id_from_sequence() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
  IF NEW.id IS NULL THEN
    NEW.id := nextval(TG_ARGV[0]::regclass);
  END IF;
  RETURN NEW;
END
$$;

-- Refuses to delete a row that other rows still name, where the naming
-- column's type (numeric(15,0) against a serial key) rules out a foreign key.
-- Arguments come in pairs: a relation (or a join) and the column holding the
-- key.
CREATE FUNCTION public.refuse_delete_when_referenced() RETURNS trigger
LANGUAGE plpgsql SET search_path = pg_catalog AS $$
DECLARE
  i integer := 0;
  used boolean;
BEGIN
  WHILE i + 1 < TG_NARGS LOOP
    EXECUTE format('SELECT EXISTS (SELECT 1 FROM %s WHERE %s = $1)', TG_ARGV[i], TG_ARGV[i + 1])
      INTO used USING OLD.id;
    IF used THEN
      RAISE EXCEPTION 'Удаление невозможно: запись % (id=%) используется в %',
        TG_TABLE_SCHEMA || '.' || TG_TABLE_NAME, OLD.id, split_part(TG_ARGV[i], ' ', 1)
        USING ERRCODE = 'foreign_key_violation';
    END IF;
    i := i + 2;
  END LOOP;
  RETURN OLD;
END
$$;

-- ---------------------------------------------------------------------------
-- Departments. type: -1 not a warehouse, 0 finished goods, 1 blanks,
-- 2 raw materials; s_type holds the type's name as the editor shows it.

CREATE TABLE cmn_department.department (
  s_caption     varchar(254) NOT NULL,
  s_description varchar(4000),
  id_parent     numeric(15,0) DEFAULT 0,
  type          numeric(15,0) NOT NULL DEFAULT -1,
  s_type        varchar(254),
  id            serial PRIMARY KEY
);

-- The departments a department can stand under. It holds the placeholder
-- department 0, so top-level departments (id_parent 0) are listed with an
-- empty parent; the placeholder itself has no parent and is never listed.
CREATE VIEW cmn_department.v_department AS
  SELECT d.id, d.s_caption FROM cmn_department.department d;

CREATE TABLE hrms_staffpos.staffpos (
  id_department numeric(15,0) NOT NULL DEFAULT 0,
  s_caption     varchar(254) NOT NULL,
  d_begin       date,
  d_end         date,
  s_description varchar(4000),
  id            serial PRIMARY KEY
);

CREATE TABLE adm_role.roles (
  id        numeric(15,0) PRIMARY KEY,
  s_name    varchar(30) NOT NULL,
  s_caption varchar(254) NOT NULL,
  d_begin   t_date,
  d_end     date,
  b_active  t_boolean NOT NULL DEFAULT true
);
CREATE SEQUENCE adm_role.roles_id_seq OWNED BY adm_role.roles.id;
ALTER TABLE adm_role.roles ALTER COLUMN id SET DEFAULT nextval('adm_role.roles_id_seq');

-- ---------------------------------------------------------------------------
-- Contractors (legal persons) and persons (the staff).

CREATE TABLE cmn_contractor.jur_person (
  s_caption      varchar(254),
  s_full_caption varchar(254) NOT NULL,
  s_ogrn         varchar(254),
  s_inn          varchar(254),
  id             serial PRIMARY KEY
);

CREATE TABLE cmn_contractor.person (
  id            integer PRIMARY KEY,
  s_caption     varchar(254) NOT NULL,
  s_second_name varchar(254),
  s_first_name  varchar(254),
  s_third_name  varchar(254),
  b_employee    boolean NOT NULL DEFAULT true,
  id_staffpos   integer REFERENCES hrms_staffpos.staffpos (id),
  id_department integer REFERENCES cmn_department.department (id),
  id_role       numeric(15,0) REFERENCES adm_role.roles (id),
  -- The worker number of the time sheet. The time sheet matches it against
  -- the worker it stores, and the shift save stores the person's id there, so
  -- the number is the id: always numeric, and never out of step.
  s_code        text GENERATED ALWAYS AS (id::text) STORED
);
CREATE SEQUENCE cmn_contractor.person_id_seq OWNED BY cmn_contractor.person.id;
CREATE TRIGGER person_id BEFORE INSERT ON cmn_contractor.person
  FOR EACH ROW EXECUTE FUNCTION public.assign_id_from_sequence('cmn_contractor.person_id_seq');

CREATE TABLE adm_user.users (
  id           numeric(15,0) PRIMARY KEY,
  s_name       varchar(30) NOT NULL UNIQUE,
  s_caption    varchar(254),
  d_registered date DEFAULT current_date,
  d_closed     date,
  b_active     boolean NOT NULL DEFAULT true,
  id_person    numeric(15,0)
);
CREATE SEQUENCE adm_user.users_id_seq OWNED BY adm_user.users.id;
ALTER TABLE adm_user.users ALTER COLUMN id SET DEFAULT nextval('adm_user.users_id_seq');

-- ---------------------------------------------------------------------------
-- Units of measure, item types, item kinds and the stock-item catalogue.

CREATE TABLE cmn_msm.msm (
  id               numeric(15,0) PRIMARY KEY,
  s_code           varchar(254),
  s_caption        varchar(254) NOT NULL,
  s_identification varchar(254) NOT NULL,
  n_round          integer NOT NULL DEFAULT 0
);
CREATE SEQUENCE cmn_msm.msm_id_seq OWNED BY cmn_msm.msm.id;
ALTER TABLE cmn_msm.msm ALTER COLUMN id SET DEFAULT nextval('cmn_msm.msm_id_seq');

-- 0 bought material, 1 blank, 2 product, 3 paint.
CREATE TABLE cmn_inventory_items.ii_type (
  id        integer PRIMARY KEY,
  s_caption varchar(254) NOT NULL
);

CREATE TABLE cmn_inventory_items.nomenclature (
  s_caption     varchar(254) NOT NULL,
  id            serial PRIMARY KEY,
  id_department numeric(15,0) DEFAULT 0
);

-- massa: material consumption per piece; massa_kg: the item's mass;
-- ral: the item is painted, ral_cons: paint consumption per piece.
-- Item 0 is the placeholder "no item" (an unpainted line's paint).
CREATE TABLE cmn_inventory_items.inventory_items (
  marka      varchar(254) NOT NULL,
  massa      numeric NOT NULL DEFAULT 0,
  id         numeric(15,0) PRIMARY KEY,
  id_nom     integer NOT NULL DEFAULT 0 REFERENCES cmn_inventory_items.nomenclature (id),
  id_type    integer REFERENCES cmn_inventory_items.ii_type (id),
  width      numeric NOT NULL DEFAULT 0,
  thick      numeric NOT NULL DEFAULT 0,
  ral        t_boolean NOT NULL DEFAULT false,
  id_msm     numeric(15,0) REFERENCES cmn_msm.msm (id),
  ral_cons   numeric NOT NULL DEFAULT 0,
  cost_price numeric NOT NULL DEFAULT 0,
  massa_kg   numeric(15,4) NOT NULL DEFAULT 0
);
CREATE SEQUENCE cmn_inventory_items.inventory_items_id_seq
  OWNED BY cmn_inventory_items.inventory_items.id;
ALTER TABLE cmn_inventory_items.inventory_items
  ALTER COLUMN id SET DEFAULT nextval('cmn_inventory_items.inventory_items_id_seq');

-- ---------------------------------------------------------------------------
-- Operations and process routes.

CREATE TABLE mnf_operation.operation_type (
  s_caption     varchar(254) NOT NULL,
  s_description varchar(4000),
  id            serial PRIMARY KEY
);

-- Result of an operation: 0 finished product, 1 blank.
CREATE TABLE mnf_operation.operation_state (
  id        numeric(15,0) PRIMARY KEY,
  s_caption varchar(254) NOT NULL
);

CREATE SEQUENCE mnf_proc_tech.proc_tech_id_seq;
CREATE TABLE mnf_proc_tech.proc_tech (
  id                 numeric(15,0) PRIMARY KEY DEFAULT nextval('mnf_proc_tech.proc_tech_id_seq'),
  s_caption          varchar(254) NOT NULL,
  id_inventory_items numeric(15,0) NOT NULL REFERENCES cmn_inventory_items.inventory_items (id),
  id_gds             numeric(15,0) NOT NULL REFERENCES cmn_inventory_items.inventory_items (id)
);
ALTER SEQUENCE mnf_proc_tech.proc_tech_id_seq OWNED BY mnf_proc_tech.proc_tech.id;

CREATE TABLE mnf_operation.operation (
  id_type            integer NOT NULL REFERENCES mnf_operation.operation_type (id),
  id                 integer PRIMARY KEY,
  id_state           numeric(15,0) NOT NULL REFERENCES mnf_operation.operation_state (id),
  price              numeric(15,4) NOT NULL DEFAULT 0,
  id_inventory_items integer REFERENCES cmn_inventory_items.inventory_items (id),
  -- A route's operations go with the route.
  id_proc_tech       numeric(15,0) NOT NULL
                     REFERENCES mnf_proc_tech.proc_tech (id) ON DELETE CASCADE,
  orderby            integer NOT NULL DEFAULT 1
);
CREATE INDEX operation_id_proc_tech ON mnf_operation.operation (id_proc_tech);
CREATE SEQUENCE mnf_operation.operation_id_seq OWNED BY mnf_operation.operation.id;
CREATE TRIGGER operation_id BEFORE INSERT ON mnf_operation.operation
  FOR EACH ROW EXECUTE FUNCTION public.assign_id_from_sequence('mnf_operation.operation_id_seq');

-- ---------------------------------------------------------------------------
-- Production requests: header and lines. id_app_doc of a header is 0 for a
-- marketing request and the originating request of a follow-up request.
-- A line's state: 0 being drawn up, 1 stock reserved, 2 in production,
-- 3 done; accept_stock: 0 no, 1 accepted for receipt, 2 received.

CREATE TABLE mnf_app.app_doc (
  id            serial PRIMARY KEY,
  d_date        timestamp NOT NULL DEFAULT now(),
  id_jur_person numeric(15,0),
  id_person     numeric(15,0),
  d_mnf         date,
  d_out         date,
  m_id          numeric(15,0),
  id_app_doc    numeric(15,0) NOT NULL DEFAULT 0,
  id_app_spec   numeric(15,0)
);

CREATE TABLE mnf_app.app_spec (
  id           serial PRIMARY KEY,
  -- Deleting a request deletes its lines.
  id_app_doc   integer NOT NULL REFERENCES mnf_app.app_doc (id) ON DELETE CASCADE,
  id_ii        numeric(15,0) NOT NULL REFERENCES cmn_inventory_items.inventory_items (id),
  cnt          numeric NOT NULL DEFAULT 0,
  done         numeric(15,4) NOT NULL DEFAULT 0,
  id_ral       numeric(15,0) NOT NULL DEFAULT 0 REFERENCES cmn_inventory_items.inventory_items (id),
  id_gds       numeric(15,0) REFERENCES cmn_inventory_items.inventory_items (id),
  price        numeric,
  cost_price   numeric,
  state        integer NOT NULL DEFAULT 0,
  accept       boolean NOT NULL DEFAULT false,
  accept_stock integer NOT NULL DEFAULT 0,
  job_price    numeric(15,4) NOT NULL DEFAULT 0,
  gds_price    numeric(15,4) NOT NULL DEFAULT 0,
  id_stock_in  numeric(15,0)
);
CREATE INDEX app_spec_id_app_doc ON mnf_app.app_spec (id_app_doc);
CREATE INDEX app_spec_id_ii ON mnf_app.app_spec (id_ii);

-- Operations of a request line still to be worked off (written by the
-- issue of material, counted by the shift records).
CREATE TABLE mnf_proc_tech.tp_operation (
  id           serial PRIMARY KEY,
  app_spec_id  integer NOT NULL REFERENCES mnf_app.app_spec (id) ON DELETE CASCADE,
  tp_id        numeric(15,0) NOT NULL REFERENCES mnf_proc_tech.proc_tech (id),
  operation_id integer NOT NULL REFERENCES mnf_operation.operation (id),
  done         numeric NOT NULL DEFAULT 0,
  cnt          numeric NOT NULL DEFAULT 0,
  orderby      integer
);
CREATE INDEX tp_operation_app_spec_id ON mnf_proc_tech.tp_operation (app_spec_id);

-- ---------------------------------------------------------------------------
-- Warehouses. stock: one row per warehouse and item.

CREATE TABLE stk_stocks.stock (
  id        serial PRIMARY KEY,
  id_stock  numeric(15,0) NOT NULL,
  id_ii     numeric(15,0) NOT NULL REFERENCES cmn_inventory_items.inventory_items (id),
  count     numeric NOT NULL DEFAULT 0,
  price     numeric NOT NULL DEFAULT 0,
  reserve   numeric NOT NULL DEFAULT 0,
  gds_price numeric(15,4) NOT NULL DEFAULT 0,
  job_price numeric(15,4) NOT NULL DEFAULT 0,
  UNIQUE (id_stock, id_ii)
);
CREATE INDEX stock_id_ii ON stk_stocks.stock (id_ii);

-- Receipt orders. id_jur_pers is the supplier of a raw-material receipt and
-- the producing department of a finished-goods receipt.
CREATE TABLE stk_stocks.stock_in (
  id_jur_pers   numeric(15,0) NOT NULL,
  date_in       date,
  d_datetime    date NOT NULL DEFAULT now(),
  id_department numeric(15,0) NOT NULL,
  id            serial PRIMARY KEY,
  id_accomp_doc varchar(254)
);

-- Receipt lines; deleting an order deletes its lines.
CREATE TABLE stk_stocks.spec_in (
  id          serial PRIMARY KEY,
  id_stock_in integer NOT NULL REFERENCES stk_stocks.stock_in (id) ON DELETE CASCADE,
  id_gds      numeric(15,0) NOT NULL REFERENCES cmn_inventory_items.inventory_items (id),
  id_msm      numeric(15,0) REFERENCES cmn_msm.msm (id),
  cnt_gds     numeric NOT NULL DEFAULT 0,
  price       numeric NOT NULL DEFAULT 0,
  nds         numeric,
  d_datetime  timestamp NOT NULL DEFAULT now(),
  accept      boolean NOT NULL DEFAULT false,
  id_app_spec integer REFERENCES mnf_app.app_spec (id)
);
CREATE INDEX spec_in_id_stock_in ON stk_stocks.spec_in (id_stock_in);

-- Issue lines; id_stock_out is 0 until the issuing warehouse is chosen.
CREATE TABLE stk_stocks.spec_out (
  id_gds       numeric(15,0) NOT NULL REFERENCES cmn_inventory_items.inventory_items (id),
  id_stock_out integer NOT NULL DEFAULT 0 REFERENCES cmn_department.department (id),
  cnt_gds      numeric NOT NULL DEFAULT 0,
  d_datetime   timestamp NOT NULL DEFAULT now(),
  accept       boolean NOT NULL DEFAULT false,
  id           serial PRIMARY KEY,
  id_app_doc   numeric(15,0),
  price        numeric(15,4) NOT NULL DEFAULT 0,
  id_app_spec  numeric(15,0)
);
CREATE INDEX spec_out_id_app_spec ON stk_stocks.spec_out (id_app_spec);

-- Shipment requests.
CREATE TABLE stk_stocks.stock_out (
  id            serial PRIMARY KEY,
  id_app_doc    numeric(15,0),
  id_jur_pers   numeric(15,0),
  id_accomp_doc text,
  date_out      date,
  d_datetime    timestamp NOT NULL DEFAULT now(),
  id_department numeric(15,0)
);

-- ---------------------------------------------------------------------------
-- Purchase requests. A line's state: 0 being drawn up, 1 being bought,
-- 2 received into a warehouse.

CREATE TABLE stk_purchase.purchase_doc (
  id            serial PRIMARY KEY,
  d_date        timestamp NOT NULL DEFAULT now(),
  id_jur_person numeric(15,0),
  id_person     numeric(15,0),
  d_in          date,
  id_app_doc    numeric(15,0),
  id_app_spec   numeric(15,0)
);

CREATE TABLE stk_purchase.purchase_spec (
  id              serial PRIMARY KEY,
  id_gds          numeric(15,0) NOT NULL REFERENCES cmn_inventory_items.inventory_items (id),
  cnt             numeric NOT NULL DEFAULT 0,
  -- Deleting a request deletes its lines.
  id_purchase_doc integer NOT NULL REFERENCES stk_purchase.purchase_doc (id) ON DELETE CASCADE,
  -- Empty on a line raised by a reservation until the price is entered.
  gds_price       numeric,
  state           integer NOT NULL DEFAULT 0,
  -- The line list reads the material under this name.
  id_item         numeric(15,0) GENERATED ALWAYS AS (id_gds) STORED
);
CREATE INDEX purchase_spec_id_purchase_doc ON stk_purchase.purchase_spec (id_purchase_doc);

-- ---------------------------------------------------------------------------
-- Shift log, crews, time sheet and norms.
-- smena.ok: 'no' entered, 'ok' its products received into the warehouse.
-- A crew member's share of a record is a record of its own whose m_id names
-- the record it was shared from (see divide_between_person).

CREATE TABLE accounts_dep.smena (
  id            serial PRIMARY KEY,
  data          date NOT NULL,
  smena         integer NOT NULL CHECK (smena BETWEEN 1 AND 4),
  i_id          integer REFERENCES cmn_inventory_items.inventory_items (id),
  o_id          integer REFERENCES mnf_operation.operation (id),
  w_id          integer NOT NULL REFERENCES cmn_contractor.person (id),
  cena          numeric(15,4) NOT NULL DEFAULT 0,
  kol_vo        numeric NOT NULL DEFAULT 0,
  brak          integer NOT NULL DEFAULT 0,
  prize         numeric NOT NULL DEFAULT 0,
  time          integer NOT NULL DEFAULT 0,
  ok            char(2) NOT NULL DEFAULT 'no',
  vvod          timestamp NOT NULL DEFAULT now(),
  id_doc        numeric(15,0),
  id_doc_item   numeric(15,0),
  f_gds_qty_use numeric NOT NULL DEFAULT 0,
  id_gds_use    numeric(15,0),
  id_cons_use   numeric(15,0),
  color         integer NOT NULL DEFAULT 0,
  coef          numeric,
  i_id_old      integer,
  m_id          integer REFERENCES accounts_dep.smena (id) ON DELETE CASCADE,
  b_end_oper    boolean
);
CREATE INDEX smena_data ON accounts_dep.smena (data, smena);
CREATE INDEX smena_id_doc_item ON accounts_dep.smena (id_doc_item);
CREATE INDEX smena_m_id ON accounts_dep.smena (m_id);

-- Hours per worker, shift, month and year; one column per day.
CREATE TABLE accounts_dep.h_tabel (
  id    serial PRIMARY KEY,
  w_id  integer NOT NULL REFERENCES cmn_contractor.person (id),
  smena integer NOT NULL,
  month integer NOT NULL CHECK (month BETWEEN 1 AND 12),
  year  integer NOT NULL,
  d1  integer NOT NULL DEFAULT 0, d2  integer NOT NULL DEFAULT 0, d3  integer NOT NULL DEFAULT 0,
  d4  integer NOT NULL DEFAULT 0, d5  integer NOT NULL DEFAULT 0, d6  integer NOT NULL DEFAULT 0,
  d7  integer NOT NULL DEFAULT 0, d8  integer NOT NULL DEFAULT 0, d9  integer NOT NULL DEFAULT 0,
  d10 integer NOT NULL DEFAULT 0, d11 integer NOT NULL DEFAULT 0, d12 integer NOT NULL DEFAULT 0,
  d13 integer NOT NULL DEFAULT 0, d14 integer NOT NULL DEFAULT 0, d15 integer NOT NULL DEFAULT 0,
  d16 integer NOT NULL DEFAULT 0, d17 integer NOT NULL DEFAULT 0, d18 integer NOT NULL DEFAULT 0,
  d19 integer NOT NULL DEFAULT 0, d20 integer NOT NULL DEFAULT 0, d21 integer NOT NULL DEFAULT 0,
  d22 integer NOT NULL DEFAULT 0, d23 integer NOT NULL DEFAULT 0, d24 integer NOT NULL DEFAULT 0,
  d25 integer NOT NULL DEFAULT 0, d26 integer NOT NULL DEFAULT 0, d27 integer NOT NULL DEFAULT 0,
  d28 integer NOT NULL DEFAULT 0, d29 integer NOT NULL DEFAULT 0, d30 integer NOT NULL DEFAULT 0,
  d31 integer NOT NULL DEFAULT 0,
  -- One row per worker, shift and month, or the sheet would count twice.
  UNIQUE (w_id, smena, month, year)
);

-- The crew that shares a shift record. No foreign key to the record: the
-- clean-out truncates the shift log before the crews.
CREATE TABLE accounts_dep.person_temp (
  id        serial PRIMARY KEY,
  id_smena  integer NOT NULL,
  id_person integer NOT NULL REFERENCES cmn_contractor.person (id),
  UNIQUE (id_smena, id_person)
);

-- A deleted shift record takes its crew with it.
CREATE FUNCTION accounts_dep.smena_drop_crew() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
  DELETE FROM accounts_dep.person_temp WHERE id_smena = OLD.id;
  RETURN OLD;
END
$$;
CREATE TRIGGER smena_drop_crew AFTER DELETE ON accounts_dep.smena
  FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_drop_crew();

CREATE TABLE accounts_dep.norm (
  id    serial PRIMARY KEY,
  o_id  integer REFERENCES mnf_operation.operation (id) ON DELETE CASCADE,
  norma integer,
  price double precision,
  prize integer
);

-- ---------------------------------------------------------------------------
-- Report views. The reports read the shift log through the names of the
-- older shift tables; these views give those names over the live tables, so
-- the reports count what the shift log holds. oper.naimen is the
-- operation's result (0 finished product, 1 blank), vid the operation type.

CREATE VIEW accounts_dep.workers AS
  SELECT p.id, p.s_caption::varchar(50) AS fio
  FROM cmn_contractor.person p;

CREATE VIEW accounts_dep.inventory_items AS
  SELECT ii.id::integer AS id, ii.marka::varchar(50) AS marka,
         n.s_caption::varchar(100) AS nom, ii.massa::double precision AS massa
  FROM cmn_inventory_items.inventory_items ii
  LEFT JOIN cmn_inventory_items.nomenclature n ON n.id = ii.id_nom;

CREATE VIEW accounts_dep.vid_oper AS
  SELECT ot.id, ot.s_caption::varchar(50) AS vid
  FROM mnf_operation.operation_type ot;

CREATE VIEW accounts_dep.oper AS
  SELECT o.id, o.id_inventory_items AS i_id, o.id_type AS vid,
         o.id_state::smallint AS naimen, o.price AS cena
  FROM mnf_operation.operation o;

-- The route list's spreadsheet export names these without a schema.
CREATE VIEW public.oper AS SELECT * FROM accounts_dep.oper;
CREATE VIEW public.inventory_items AS SELECT * FROM accounts_dep.inventory_items;
CREATE VIEW public.vid_oper AS SELECT * FROM accounts_dep.vid_oper;

-- The report by requests groups by the request number.
CREATE VIEW mnf_doc.doc AS
  SELECT ad.id, ad.id::varchar(254) AS s_number, ad.d_date
  FROM mnf_app.app_doc ad;

-- ---------------------------------------------------------------------------
-- Production views over the request lines.

-- Open work per product as it is made (product, route material and paint):
-- pieces ordered, made and still to make, the material the lines not yet
-- reserved need, and the material's stock.
CREATE VIEW mnf_app.v_app_spec AS
  SELECT as1.id_ii,
         ii.marka AS ii_s_caption,
         m.s_identification AS msm_s_caption,
         sum(as1.cnt - as1.done) AS cnt_done,
         sum(as1.cnt) AS sum_all,
         sum(as1.done) AS done,
         gds.marka AS gds_s_caption,
         sum(CASE WHEN as1.accept THEN 0 ELSE ii.massa * as1.cnt END)::t_money AS gds_need,
         (SELECT sum(s.count) FROM stk_stocks.stock s WHERE s.id_ii = as1.id_gds) AS stk_gds,
         as1.id_ral
  FROM mnf_app.app_spec as1
  JOIN cmn_inventory_items.inventory_items ii ON ii.id = as1.id_ii
  LEFT JOIN cmn_msm.msm m ON m.id = ii.id_msm
  LEFT JOIN cmn_inventory_items.inventory_items gds ON gds.id = as1.id_gds
  WHERE as1.state < 3
  GROUP BY as1.id_ii, ii.marka, m.s_identification, as1.id_gds, gds.marka, as1.id_ral;

-- Every request line with its needs against the stock, for the production
-- side's list and its reservation. The stock columns count the free stock
-- (count less reserve): stock already reserved for another line is not
-- available to this one. A line without paint needs no paint.
CREATE VIEW mnf_app.v_app_spec55 AS
  SELECT as1.id,
         as1.cnt - as1.done AS cnt_done,
         as1.cnt,
         as1.id_ii,
         ii.marka AS ii_s_caption,
         m.s_identification AS msm_s_caption,
         CASE WHEN as1.accept THEN 'Да' ELSE 'Нет' END AS yesno,
         (ii.massa * as1.cnt)::t_money AS massa_gds,
         as1.id_ral,
         ral.marka AS ral_s_caption,
         (CASE WHEN as1.id_ral <> 0 THEN ii.ral_cons * as1.cnt ELSE 0 END)::t_money AS ral_need,
         (ii.massa * as1.cnt)::t_money AS gds_need,
         (SELECT sum(s.count - s.reserve) FROM stk_stocks.stock s
           WHERE s.id_ii = as1.id_gds) AS stk_gds,
         (SELECT sum(s.count - s.reserve) FROM stk_stocks.stock s
           WHERE s.id_ii = as1.id_ral AND as1.id_ral <> 0) AS stk_ral,
         ii.ral_cons,
         gds.marka AS gds_s_caption,
         as1.id_gds,
         as1.job_price,
         as1.gds_price,
         as1.id_app_doc,
         as1.accept,
         CASE WHEN as1.accept_stock = 2 THEN 'Да' ELSE 'Нет' END AS yesno_stk,
         as1.accept_stock,
         CASE WHEN ad.id_app_doc = 0 THEN NULL ELSE ad.id_app_doc END AS ad_id_app_doc,
         ad.d_mnf,
         ad.d_out,
         ad.id_jur_person,
         ad.id_person,
         ad.id_app_spec,
         gds.id_type AS id_type_gds,
         as1.done
  FROM mnf_app.app_spec as1
  JOIN mnf_app.app_doc ad ON ad.id = as1.id_app_doc
  JOIN cmn_inventory_items.inventory_items ii ON ii.id = as1.id_ii
  LEFT JOIN cmn_msm.msm m ON m.id = ii.id_msm
  LEFT JOIN cmn_inventory_items.inventory_items ral ON ral.id = as1.id_ral
  LEFT JOIN cmn_inventory_items.inventory_items gds ON gds.id = as1.id_gds;

-- ---------------------------------------------------------------------------
-- Deletes of reference rows still in use are refused, also where the naming
-- column cannot carry a foreign key.

CREATE TRIGGER department_in_use BEFORE DELETE ON cmn_department.department
  FOR EACH ROW EXECUTE FUNCTION public.refuse_delete_when_referenced(
    'cmn_department.department', 'id_parent',
    'hrms_staffpos.staffpos', 'id_department',
    'cmn_inventory_items.nomenclature', 'id_department',
    'stk_stocks.stock', 'id_stock',
    'stk_stocks.stock_in', 'id_department',
    'stk_stocks.stock_out', 'id_department',
    'stk_stocks.stock_in si JOIN cmn_department.department w ON w.id = si.id_department AND w.type IN (0, 1)',
    'si.id_jur_pers');

CREATE TRIGGER jur_person_in_use BEFORE DELETE ON cmn_contractor.jur_person
  FOR EACH ROW EXECUTE FUNCTION public.refuse_delete_when_referenced(
    'mnf_app.app_doc', 'id_jur_person',
    'stk_purchase.purchase_doc', 'id_jur_person',
    'stk_stocks.stock_out', 'id_jur_pers',
    'stk_stocks.stock_in si JOIN cmn_department.department w ON w.id = si.id_department AND w.type = 2',
    'si.id_jur_pers');

CREATE TRIGGER person_in_use BEFORE DELETE ON cmn_contractor.person
  FOR EACH ROW EXECUTE FUNCTION public.refuse_delete_when_referenced(
    'mnf_app.app_doc', 'id_person',
    'stk_purchase.purchase_doc', 'id_person',
    'adm_user.users', 'id_person');

CREATE TRIGGER staffpos_in_use BEFORE DELETE ON hrms_staffpos.staffpos
  FOR EACH ROW EXECUTE FUNCTION public.refuse_delete_when_referenced(
    'cmn_contractor.person', 'id_staffpos');

-- ---------------------------------------------------------------------------
-- Server functions.

-- The spreadsheet export of the route list writes iif(condition, a, b).
CREATE FUNCTION public.iif(condition boolean, when_true text, when_false text)
RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN condition THEN when_true ELSE when_false END
$$;

-- The id the route dialog's insert has just been given. The client calls
-- this right after its INSERT; this connection's own value of the sequence
-- cannot be taken by another client's insert in between, unlike the
-- sequence's shared last value, which is the fallback when this connection
-- has not drawn from the sequence yet. Taking the name as text makes the
-- client's quoted name resolve here rather than to the built-in.
CREATE FUNCTION public.pg_sequence_last_value(seq text) RETURNS bigint
LANGUAGE plpgsql SET search_path = pg_catalog AS $$
BEGIN
  RETURN currval(seq::regclass);
EXCEPTION WHEN object_not_in_prerequisite_state THEN
  RETURN pg_catalog.pg_sequence_last_value(seq::regclass);
END
$$;

-- The document and transaction tables that "Очистить базу" may empty:
-- requests and their lines (mnf_app), warehouse documents and balances
-- (stk_stocks), purchase requests (stk_purchase), the operations of request
-- lines, the shift log, its crews and the time sheet. Reference data
-- (departments, persons, positions, roles, contractors, items, operations,
-- routes, units, types) and the fixture rows are never among them.
CREATE FUNCTION public.is_document_table(rel regclass) RETURNS boolean
LANGUAGE sql STABLE SET search_path = pg_catalog AS $$
  SELECT n.nspname IN ('mnf_app', 'stk_stocks', 'stk_purchase')
      OR (n.nspname, c.relname) IN (('mnf_proc_tech', 'tp_operation'), ('accounts_dep', 'smena'),
                                    ('accounts_dep', 'h_tabel'), ('accounts_dep', 'person_temp'))
  FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
  WHERE c.oid = rel
$$;

-- Empties every table of a document schema ('mnf_app', 'stk_stocks' or
-- 'stk_purchase'), together with the document tables that refer to them
-- (the operations of request lines, finished-goods receipt lines). Any other
-- schema, or a reference from outside the document tables, is refused
-- rather than cleared: the function never empties reference data. Runs with
-- the caller's rights, so only a role allowed to truncate those tables can
-- clear them. Returns the number of tables emptied.
CREATE FUNCTION public.truncate_tables(schema_name text) RETURNS integer
LANGUAGE plpgsql SET search_path = pg_catalog AS $$
DECLARE
  targets regclass[];
  outside text;
BEGIN
  IF schema_name IS NULL OR schema_name NOT IN ('mnf_app', 'stk_stocks', 'stk_purchase') THEN
    RAISE EXCEPTION 'Схема % не является схемой документов', coalesce(schema_name, 'NULL')
      USING ERRCODE = 'invalid_parameter_value';
  END IF;

  WITH RECURSIVE closure(rel) AS (
      SELECT c.oid::regclass
      FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
      WHERE n.nspname = schema_name AND c.relkind IN ('r', 'p')
    UNION
      SELECT con.conrelid::regclass
      FROM pg_constraint con JOIN closure ON con.confrelid = closure.rel
      WHERE con.contype = 'f')
  SELECT array_agg(rel) INTO targets FROM closure;

  SELECT string_agg(t::text, ', ') INTO outside
  FROM unnest(targets) t WHERE NOT public.is_document_table(t);
  IF outside IS NOT NULL THEN
    RAISE EXCEPTION 'Таблицы % ссылаются на документы схемы % и не очищаются', outside, schema_name
      USING ERRCODE = 'dependent_objects_still_exist';
  END IF;

  IF targets IS NULL THEN
    RETURN 0;
  END IF;
  EXECUTE 'TRUNCATE TABLE ' || (SELECT string_agg(t::text, ', ') FROM unnest(targets) t);
  RETURN cardinality(targets);
END
$$;

-- Shares a shift record among its crew (accounts_dep.person_temp): the
-- pieces and defects of the record are divided evenly among the record's
-- worker and the crew members, each crew member getting a record of their
-- own (m_id names the shared record); the shared record keeps the remainder,
-- so the totals stay exact. Every member worked the record's hours, so each
-- share carries them, and the time sheet day of every member is recounted
-- from the shift log. Running it again re-divides the same total among the
-- crew as it then stands. The id may be given as any number type.
-- Returns the number of workers sharing the record.
CREATE FUNCTION accounts_dep.divide_between_person(s_id numeric) RETURNS integer
LANGUAGE plpgsql SET search_path = pg_catalog AS $$
DECLARE
  main accounts_dep.smena%ROWTYPE;
  total_kol numeric;
  total_brak integer;
  members integer[];
  touched integer[];
  n integer;
  share_kol numeric;
  share_brak integer;
  p integer;
  hours integer;
BEGIN
  SELECT * INTO main FROM accounts_dep.smena WHERE id = s_id FOR UPDATE;
  IF NOT FOUND THEN
    RAISE EXCEPTION 'Запись смены % не найдена', s_id USING ERRCODE = 'no_data_found';
  END IF;
  IF main.m_id IS NOT NULL THEN  -- a share: work on the record it came from
    SELECT * INTO main FROM accounts_dep.smena WHERE id = main.m_id FOR UPDATE;
  END IF;

  SELECT main.kol_vo + coalesce(sum(s.kol_vo), 0), main.brak + coalesce(sum(s.brak), 0)::integer,
         coalesce(array_agg(s.w_id) FILTER (WHERE s.w_id IS NOT NULL), '{}')
    INTO total_kol, total_brak, touched
  FROM accounts_dep.smena s WHERE s.m_id = main.id;
  DELETE FROM accounts_dep.smena WHERE m_id = main.id;

  SELECT coalesce(array_agg(DISTINCT pt.id_person), '{}') INTO members
  FROM accounts_dep.person_temp pt
  WHERE pt.id_smena = main.id AND pt.id_person <> main.w_id;

  n := 1 + cardinality(members);
  share_kol := round(total_kol / n, 4);
  share_brak := total_brak / n;
  UPDATE accounts_dep.smena
     SET kol_vo = total_kol - share_kol * (n - 1), brak = total_brak - share_brak * (n - 1)
   WHERE id = main.id;

  FOREACH p IN ARRAY members LOOP
    INSERT INTO accounts_dep.smena (data, smena, i_id, o_id, w_id, cena, kol_vo, brak, prize, time,
                                    ok, vvod, id_doc, id_doc_item, f_gds_qty_use, id_gds_use,
                                    id_cons_use, color, coef, i_id_old, m_id, b_end_oper)
    VALUES (main.data, main.smena, main.i_id, main.o_id, p, main.cena, share_kol, share_brak,
            main.prize, main.time, main.ok, main.vvod, main.id_doc, main.id_doc_item,
            main.f_gds_qty_use, main.id_gds_use, main.id_cons_use, main.color, main.coef,
            main.i_id_old, main.id, main.b_end_oper);
  END LOOP;

  -- Recount the day in the time sheet for everyone whose shares changed.
  FOREACH p IN ARRAY (SELECT coalesce(array_agg(DISTINCT x), '{}') FROM unnest(members || touched) x) LOOP
    SELECT coalesce(sum(s.time), 0) INTO hours FROM accounts_dep.smena s
     WHERE s.w_id = p AND s.smena = main.smena AND s.data = main.data;
    EXECUTE format('INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, d%1$s) '
                   'VALUES ($1, $2, $3, $4, $5) ON CONFLICT (w_id, smena, month, year) '
                   'DO UPDATE SET d%1$s = EXCLUDED.d%1$s',
                   extract(day FROM main.data)::integer)
      USING p, main.smena, extract(month FROM main.data)::integer,
            extract(year FROM main.data)::integer, hours;
  END LOOP;
  RETURN n;
END
$$;

-- Accepts a shift record and its crew shares: they become 'ta', which the
-- shift lists hide. A record whose products are already received ('ok')
-- stays as it is. Returns the number of records accepted.
CREATE FUNCTION accounts_dep.smena__accept_row_hwo(s_id numeric) RETURNS integer
LANGUAGE plpgsql SET search_path = pg_catalog AS $$
DECLARE
  accepted integer;
BEGIN
  UPDATE accounts_dep.smena SET ok = 'ta'
   WHERE (id = s_id OR m_id = s_id) AND ok = 'no';
  GET DIAGNOSTICS accepted = ROW_COUNT;
  RETURN accepted;
END
$$;
