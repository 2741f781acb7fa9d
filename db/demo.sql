-- demo.sql: a small demo enterprise for the embedded default database, a
-- workshop making painted metal goods. Loaded by the database owner after
-- schema.sql and fixture.sql; the sign-in roles come from demo_roles.sql.

-- ---------------------------------------------------------------------------
-- Database rights of the demo accounts (when demo_roles.sql has made them).

DO $$
DECLARE
  s text;
BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'velmora_staff')
     OR NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'velmora_admin') THEN
    RETURN;
  END IF;
  FOREACH s IN ARRAY ARRAY['public', 'cmn_department', 'cmn_contractor', 'cmn_inventory_items',
                           'cmn_msm', 'hrms_staffpos', 'adm_role', 'adm_user', 'mnf_operation',
                           'mnf_proc_tech', 'mnf_app', 'mnf_doc', 'stk_stocks', 'stk_purchase',
                           'accounts_dep'] LOOP
    EXECUTE format('GRANT USAGE ON SCHEMA %I TO velmora_staff', s);
    EXECUTE format('GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %I TO velmora_staff', s);
    EXECUTE format('GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA %I TO velmora_staff', s);
  END LOOP;
  -- Only the administrators may empty the document tables.
  FOREACH s IN ARRAY ARRAY['mnf_app', 'stk_stocks', 'stk_purchase'] LOOP
    EXECUTE format('GRANT TRUNCATE ON ALL TABLES IN SCHEMA %I TO velmora_admin', s);
  END LOOP;
  GRANT TRUNCATE ON mnf_proc_tech.tp_operation, accounts_dep.smena, accounts_dep.h_tabel,
                    accounts_dep.person_temp TO velmora_admin;
END
$$;

-- ---------------------------------------------------------------------------
-- Organisation.

INSERT INTO cmn_department.department (id, s_caption, s_description, id_parent, type, s_type) VALUES
  (1, 'Администрация', 'Дирекция и бухгалтерия', 0, -1, ''),
  (2, 'Производственный цех', 'Резка, гибка, сварка', 0, -1, ''),
  (3, 'Участок покраски', 'Порошковая покраска', 2, -1, ''),
  (4, 'Склад сырья', 'Металлопрокат и краски', 0, 2, 'Склад сырья'),
  (5, 'Склад заготовок', 'Заготовки собственного производства', 0, 1, 'Склад заготовок'),
  (6, 'Склад готовой продукции', '', 0, 0, 'Склад ГП'),
  (7, 'Отдел снабжения', '', 1, -1, ''),
  (8, 'Отдел продаж', '', 1, -1, '');

INSERT INTO hrms_staffpos.staffpos (id, s_caption, s_description, id_department, d_begin) VALUES
  (1, 'Директор', '', 1, '2020-01-01'),
  (2, 'Экономист', 'Учёт затрат и табель', 1, '2020-01-01'),
  (3, 'Технолог', 'Техпроцессы и нормы', 2, '2020-01-01'),
  (4, 'Мастер участка', '', 2, '2020-01-01'),
  (5, 'Слесарь-сборщик', '', 2, '2020-01-01'),
  (6, 'Сварщик', '', 2, '2020-01-01'),
  (7, 'Маляр', '', 3, '2020-01-01'),
  (8, 'Кладовщик', '', 4, '2020-01-01'),
  (9, 'Менеджер по снабжению', '', 7, '2020-01-01'),
  (10, 'Менеджер по продажам', '', 8, '2020-01-01');

INSERT INTO adm_role.roles (id, s_name, s_caption, d_begin, d_end, b_active) VALUES
  (1, 'admin', 'Администратор', '2020-01-01', NULL, true),
  (2, 'master', 'Мастер', '2020-01-01', NULL, true),
  (3, 'worker', 'Рабочий', '2020-01-01', NULL, true),
  (4, 'storekeeper', 'Кладовщик', '2020-01-01', NULL, true),
  (5, 'economist', 'Экономист', '2020-01-01', NULL, true),
  (6, 'manager', 'Менеджер', '2020-01-01', NULL, true),
  (7, 'normer', 'Нормировщик', '2020-01-01', '2023-06-30', false);

INSERT INTO cmn_contractor.person (id, s_caption, s_second_name, s_first_name, s_third_name,
                                   id_staffpos, id_department, id_role) VALUES
  (1, 'Соколов Андрей Викторович', 'Соколов', 'Андрей', 'Викторович', 1, 1, 1),
  (2, 'Кузнецова Елена Сергеевна', 'Кузнецова', 'Елена', 'Сергеевна', 2, 1, 5),
  (3, 'Морозов Игорь Петрович', 'Морозов', 'Игорь', 'Петрович', 3, 2, 2),
  (4, 'Волков Дмитрий Николаевич', 'Волков', 'Дмитрий', 'Николаевич', 4, 2, 2),
  (5, 'Лебедев Сергей Иванович', 'Лебедев', 'Сергей', 'Иванович', 5, 2, 3),
  (6, 'Новиков Алексей Юрьевич', 'Новиков', 'Алексей', 'Юрьевич', 5, 2, 3),
  (7, 'Козлов Павел Андреевич', 'Козлов', 'Павел', 'Андреевич', 6, 2, 3),
  (8, 'Егоров Михаил Олегович', 'Егоров', 'Михаил', 'Олегович', 6, 2, 3),
  (9, 'Павлов Виктор Геннадьевич', 'Павлов', 'Виктор', 'Геннадьевич', 5, 2, 3),
  (10, 'Семёнов Роман Александрович', 'Семёнов', 'Роман', 'Александрович', 7, 3, 3),
  (11, 'Голубев Артём Сергеевич', 'Голубев', 'Артём', 'Сергеевич', 7, 3, 3),
  (12, 'Виноградова Наталья Петровна', 'Виноградова', 'Наталья', 'Петровна', 8, 4, 4),
  (13, 'Богданов Олег Владимирович', 'Богданов', 'Олег', 'Владимирович', 5, 2, 3),
  (14, 'Фёдоров Константин Ильич', 'Фёдоров', 'Константин', 'Ильич', 6, 2, 3),
  (15, 'Орлова Татьяна Михайловна', 'Орлова', 'Татьяна', 'Михайловна', 9, 7, 6),
  (16, 'Белов Денис Евгеньевич', 'Белов', 'Денис', 'Евгеньевич', 10, 8, 6);

INSERT INTO cmn_contractor.jur_person (id, s_caption, s_full_caption, s_ogrn, s_inn) VALUES
  (1, 'Сталь-Инвест', 'ООО "Сталь-Инвест"', '1027700132195', '7701234567'),
  (2, 'Лакокраска', 'АО "Лакокраска"', '1035000701234', '5001012345'),
  (3, 'Стройдеталь', 'ООО "Стройдеталь"', '1146658012345', '6658123456'),
  (4, 'Техномонтаж', 'ООО "Техномонтаж"', '1197746123456', '7728123456'),
  (5, 'Метизы Урала', 'ООО "Метизы Урала"', '1086672004567', '6672123456');

-- The demo accounts.
INSERT INTO adm_user.users (id, s_name, s_caption, d_registered, b_active, id_person) VALUES
  (1, 'sys', 'Соколов А. В. (администратор)', '2024-01-09', true, 1),
  (2, 'master', 'Волков Д. Н.', '2024-01-09', true, 4),
  (3, 'kladov', 'Виноградова Н. П.', '2024-01-09', true, 12),
  (4, 'econom', 'Кузнецова Е. С.', '2024-01-09', true, 2),
  (5, 'tehnolog', 'Морозов И. П.', '2024-01-09', true, 3);

-- ---------------------------------------------------------------------------
-- Items: bought materials, paints (kind 7), blanks and products.
-- Units: 1 кг, 2 м, 4 шт (fixture.sql).

INSERT INTO cmn_inventory_items.nomenclature (id, s_caption, id_department) VALUES
  (1, 'Листовой прокат', 4),
  (2, 'Трубный прокат', 4),
  (3, 'Заготовки', 5),
  (4, 'Металлоконструкции', 6),
  (5, 'Мебель металлическая', 6);

INSERT INTO cmn_inventory_items.inventory_items
  (id, marka, id_nom, id_type, id_msm, massa, massa_kg, width, thick, ral, ral_cons, cost_price) VALUES
  (1, 'Лист х/к 1,5 мм 1250х2500', 1, 0, 1, 0, 0, 2500, 1.5, false, 0, 95.5),
  (2, 'Лист г/к 3 мм 1500х6000', 1, 0, 1, 0, 0, 6000, 3, false, 0, 88),
  (3, 'Труба профильная 40х20х2', 2, 0, 2, 0, 0, 6000, 2, false, 0, 142),
  (4, 'Труба профильная 60х40х2', 2, 0, 2, 0, 0, 6000, 2, false, 0, 198),
  (5, 'Краска порошковая RAL 3020 красная', 7, 3, 1, 0, 0, 0, 0, false, 0, 420),
  (6, 'Краска порошковая RAL 5005 синяя', 7, 3, 1, 0, 0, 0, 0, false, 0, 435),
  (7, 'Краска порошковая RAL 9005 чёрная', 7, 3, 1, 0, 0, 0, 0, false, 0, 410),
  (8, 'Заготовка стойки СТ-2', 3, 1, 4, 2.0, 3.1, 1000, 2, false, 0, 298),
  (9, 'Заготовка полки П-600', 3, 1, 4, 1.8, 1.75, 600, 1.5, false, 0, 175),
  (10, 'Кронштейн КР-1', 4, 2, 4, 1.2, 1.15, 250, 3, true, 0.05, 118.4),
  (11, 'Стойка СТ-2', 4, 2, 4, 1, 3.1, 1000, 2, true, 0.12, 0),
  (12, 'Полка П-600', 5, 2, 4, 1, 1.75, 600, 1.5, true, 0.08, 0),
  (13, 'Опора ОП-1', 4, 2, 4, 0.9, 0.85, 200, 3, false, 0, 0);

-- ---------------------------------------------------------------------------
-- Operations and process routes ("ПОКРАСКА" is in fixture.sql).

INSERT INTO mnf_operation.operation_type (id, s_caption, s_description) VALUES
  (2, 'РЕЗКА', 'Резка металла на гильотине'),
  (3, 'ГИБКА', 'Гибка на листогибе'),
  (4, 'СВАРКА', 'Полуавтоматическая сварка'),
  (5, 'ЗАЧИСТКА', 'Зачистка швов и кромок'),
  (6, 'СВЕРЛЕНИЕ', 'Сверление отверстий');

INSERT INTO mnf_proc_tech.proc_tech (id, s_caption, id_inventory_items, id_gds) VALUES
  (1, 'Кронштейн КР-1', 10, 2),
  (2, 'Заготовка стойки СТ-2', 8, 3),
  (3, 'Стойка СТ-2', 11, 8),
  (4, 'Заготовка полки П-600', 9, 1),
  (5, 'Полка П-600', 12, 9),
  (6, 'Опора ОП-1', 13, 2);

-- id_state: 1 the result is a blank, 0 the finished product.
INSERT INTO mnf_operation.operation (id, id_type, id_state, price, id_inventory_items, id_proc_tech, orderby) VALUES
  (1, 2, 1, 4.50, 10, 1, 1),
  (2, 3, 1, 3.20, 10, 1, 2),
  (3, 6, 1, 2.10, 10, 1, 3),
  (4, 1, 0, 6.00, 10, 1, 4),
  (5, 2, 1, 5.00, 8, 2, 1),
  (6, 5, 1, 1.50, 8, 2, 2),
  (7, 4, 1, 12.00, 11, 3, 1),
  (8, 1, 0, 9.50, 11, 3, 2),
  (9, 2, 1, 3.80, 9, 4, 1),
  (10, 3, 1, 4.20, 9, 4, 2),
  (11, 4, 1, 8.00, 12, 5, 1),
  (12, 1, 0, 7.00, 12, 5, 2),
  (13, 2, 1, 3.00, 13, 6, 1),
  (14, 4, 0, 10.00, 13, 6, 2);

INSERT INTO accounts_dep.norm (o_id, norma, price, prize) VALUES
  (1, 200, 4.5, 10),
  (7, 30, 12, 15),
  (14, 60, 10, 10);

-- ---------------------------------------------------------------------------
-- Production requests. Request 5 is finished and received; request 4 is
-- made and waits for the warehouse; request 1 is in production; request 2
-- has a reserved line and a line whose blanks run short, which raised the
-- follow-up request 3 and the purchase request 3.

INSERT INTO mnf_app.app_doc (id, d_date, id_jur_person, id_person, d_mnf, d_out, m_id, id_app_doc, id_app_spec) VALUES
  (5, '2024-12-02 10:15', 3, 16, '2024-12-12', '2024-12-20', 16, 0, NULL),
  (4, '2025-01-14 09:40', 3, 16, '2025-01-20', '2025-01-30', 16, 0, NULL),
  (1, '2025-02-03 11:05', 3, 16, '2025-02-10', '2025-02-20', 16, 0, NULL),
  (2, '2025-02-17 14:30', 4, 16, '2025-03-01', '2025-03-15', 16, 0, NULL),
  (3, '2025-02-18 08:50', 4, 16, '2025-03-01', '2025-03-15', NULL, 2, 4);

INSERT INTO mnf_app.app_spec (id, id_app_doc, id_ii, cnt, done, id_ral, id_gds, price, cost_price, state,
                              accept, accept_stock, job_price, gds_price, id_stock_in) VALUES
  (7, 5, 10, 150, 150, 7, 2, 255, 0, 3, true, 2, 2370, 15390, 4),
  (6, 4, 13, 60, 60, 0, 2, 180, 0, 3, true, 0, 0, 4752, NULL),
  (1, 1, 10, 200, 80, 5, 2, 260, 118.4, 2, true, 0, 0, 25320, NULL),
  (2, 1, 13, 100, 0, 0, 2, 180, 0, 0, false, 0, 0, 0, NULL),
  (3, 2, 11, 40, 0, 6, 8, 520, 0, 1, true, 0, 0, 0, NULL),
  (4, 2, 12, 30, 0, 7, 9, 450, 0, 0, false, 0, 0, 0, NULL),
  (5, 3, 9, 10, 0, 0, 1, 0, 175, 0, false, 0, 0, 0, NULL);

INSERT INTO mnf_proc_tech.tp_operation (app_spec_id, tp_id, operation_id, done, cnt, orderby) VALUES
  (7, 1, 1, 150, 150, 1), (7, 1, 2, 150, 150, 2), (7, 1, 3, 150, 150, 3), (7, 1, 4, 150, 150, 4),
  (6, 6, 13, 60, 60, 1), (6, 6, 14, 60, 60, 2),
  (1, 1, 1, 200, 200, 1), (1, 1, 2, 80, 200, 2), (1, 1, 3, 0, 200, 3), (1, 1, 4, 0, 200, 4);

-- ---------------------------------------------------------------------------
-- Warehouses: receipts from suppliers and from production, issues and stock.

INSERT INTO stk_stocks.stock_in (id, id_jur_pers, date_in, d_datetime, id_department, id_accomp_doc) VALUES
  (1, 1, '2025-01-10', '2025-01-10', 4, '1045'),
  (2, 2, '2025-01-12', '2025-01-12', 4, '2210'),
  (3, 1, '2025-02-05', '2025-02-05', 4, '1102'),
  (4, 2, '2024-12-23', '2024-12-23', 6, '0');

INSERT INTO stk_stocks.spec_in (id_stock_in, id_gds, id_msm, cnt_gds, price, d_datetime, accept, id_app_spec) VALUES
  (1, 1, 1, 800, 95.5, '2025-01-10 12:00', true, NULL),
  (1, 2, 1, 1500, 88, '2025-01-10 12:00', true, NULL),
  (2, 5, 1, 40, 420, '2025-01-12 10:30', true, NULL),
  (2, 6, 1, 25, 435, '2025-01-12 10:30', true, NULL),
  (2, 7, 1, 30, 410, '2025-01-12 10:30', true, NULL),
  (3, 3, 2, 600, 142, '2025-02-05 15:20', true, NULL),
  (3, 4, 2, 300, 198, '2025-02-05 15:20', false, NULL),
  (4, 10, 4, 150, 17760, '2024-12-23 16:00', true, 7);

-- Issue lines: request 1 and request 4 have taken their material and paint,
-- the reserved line of request 2 waits for its issuing warehouse.
INSERT INTO stk_stocks.spec_out (id_gds, id_stock_out, cnt_gds, price, d_datetime, accept, id_app_doc, id_app_spec) VALUES
  (2, 4, 54, 88, '2025-01-16 09:00', true, 4, 6),
  (2, 4, 240, 88, '2025-02-07 09:00', true, 1, 1),
  (5, 4, 10, 420, '2025-02-07 09:00', true, 1, 1),
  (8, 0, 40, 298, '2025-02-18 09:10', false, 2, 3),
  (6, 0, 4.8, 435, '2025-02-18 09:10', false, 2, 3);

-- Balances after the postings, issues and the work recorded below.
INSERT INTO stk_stocks.stock (id_stock, id_ii, count, reserve, price, gds_price, job_price) VALUES
  (4, 1, 800, 0, 95.5, 0, 0),
  (4, 2, 1206, 0, 88, 0, 0),
  (4, 3, 600, 0, 142, 0, 0),
  (4, 5, 40, 10, 420, 0, 0),
  (4, 6, 25, 4.8, 435, 0, 0),
  (4, 7, 30, 0, 410, 0, 0),
  (5, 8, 40, 40, 298, 0, 0),
  (5, 9, 20, 0, 175, 0, 0),
  (6, 10, 150, 0, 118.4, 102.6, 15.8);

INSERT INTO stk_stocks.stock_out (id_app_doc, id_jur_pers, id_accomp_doc, date_out, d_datetime, id_department) VALUES
  (5, 3, '0', '2024-12-20', '2024-12-18 11:00', 6),
  (4, 3, '0', '2025-01-30', '2025-01-24 16:45', NULL);

-- ---------------------------------------------------------------------------
-- Purchase requests: one received, one being bought, one raised by the
-- reservation and still without a supplier.

INSERT INTO stk_purchase.purchase_doc (id, d_date, id_jur_person, id_person, d_in, id_app_doc, id_app_spec) VALUES
  (1, '2025-01-27 10:00', 1, 15, '2025-02-05', NULL, NULL),
  (2, '2025-02-14 11:20', 2, 15, '2025-03-01', NULL, NULL),
  (3, '2025-02-18 09:12', NULL, 16, '2025-03-01', 2, 4);

INSERT INTO stk_purchase.purchase_spec (id_purchase_doc, id_gds, cnt, gds_price, state) VALUES
  (1, 3, 600, 142, 2),
  (1, 4, 300, 198, 2),
  (2, 7, 30, 410, 1),
  (2, 5, 20, 425, 0),
  (3, 1, 18, NULL, 0);

-- ---------------------------------------------------------------------------
-- Shift log and time sheet. Record 5 is Богданов's share of Павлов's record 4.

INSERT INTO accounts_dep.smena (id, data, smena, i_id, o_id, w_id, cena, kol_vo, brak, prize, time, ok, vvod,
                                id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use, color, m_id) VALUES
  (1, '2024-12-16', 1, 10, 4, 10, 6.00, 150, 0, 0, 8, 'ok', '2024-12-16 16:30', 5, 7, 0, 2, 0, 0, NULL),
  (2, '2025-01-20', 1, 13, 13, 5, 3.00, 60, 0, 0, 4, 'no', '2025-01-20 15:10', 4, 6, 0, 2, 0, 0, NULL),
  (3, '2025-01-21', 1, 13, 14, 7, 10.00, 60, 0, 0, 8, 'no', '2025-01-21 16:40', 4, 6, 0, 2, 0, 0, NULL),
  (4, '2025-02-12', 2, 10, 2, 9, 3.20, 40, 0, 0, 6, 'no', '2025-02-12 22:05', 1, 1, 0, 2, 0, 0, NULL),
  (5, '2025-02-12', 2, 10, 2, 13, 3.20, 40, 0, 0, 6, 'no', '2025-02-12 22:05', 1, 1, 0, 2, 0, 0, 4),
  (6, '2025-02-11', 1, 10, 1, 6, 4.50, 200, 2, 0, 8, 'no', '2025-02-11 16:55', 1, 1, 0, 2, 0, 0, NULL);

INSERT INTO accounts_dep.person_temp (id_smena, id_person) VALUES (4, 13);

INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, d16) VALUES (10, 1, 12, 2024, 8);
INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, d20) VALUES (5, 1, 1, 2025, 4);
INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, d21) VALUES (7, 1, 1, 2025, 8);
INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, d11) VALUES (6, 1, 2, 2025, 8);
INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, d12) VALUES (9, 2, 2, 2025, 6), (13, 2, 2, 2025, 6);

-- ---------------------------------------------------------------------------
-- Keys drawn from sequences continue after the demo's own.

DO $$
DECLARE
  r record;
  top bigint;
BEGIN
  FOR r IN
    SELECT s.oid::regclass AS seq, c.oid::regclass AS tab, a.attname AS col
    FROM pg_class s
    JOIN pg_depend d ON d.classid = 'pg_class'::regclass AND d.objid = s.oid AND d.deptype IN ('a', 'i')
    JOIN pg_class c ON c.oid = d.refobjid
    JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = d.refobjsubid
    WHERE s.relkind = 'S'
  LOOP
    EXECUTE format('SELECT max(%I)::bigint FROM %s', r.col, r.tab) INTO top;
    IF top IS NOT NULL AND top > 0 THEN
      PERFORM setval(r.seq, top);
    END IF;
  END LOOP;
END
$$;
