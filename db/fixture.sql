-- fixture.sql: the rows the client relies on in an otherwise empty database.
-- Loaded after schema.sql. Rows with id 0 stand for "none": the client writes
-- 0 into these references and joins on them.

-- The version row: the first client to start writes its build stamp here.
-- PostgreSQL reads a decimal point in numbers written into SQL text.
INSERT INTO public.ver (d, t, delim) VALUES (0, 0, '.');

-- Department 0: the parent of top-level departments and the warehouse of an
-- issue line whose warehouse is not chosen yet. It has no parent of its own,
-- so the departments book does not list it.
INSERT INTO cmn_department.department (id, s_caption, s_description, id_parent, type, s_type)
VALUES (0, '', NULL, NULL, -1, '');

-- Units of measure. The finished-goods receipt books its lines in unit 4.
INSERT INTO cmn_msm.msm (id, s_code, s_caption, s_identification, n_round) VALUES
  (1, '166', 'Килограмм', 'кг', 3),
  (2, '006', 'Метр', 'м', 3),
  (3, '055', 'Квадратный метр', 'м2', 3),
  (4, '796', 'Штука', 'шт', 0),
  (5, '112', 'Литр', 'л', 3);
ALTER SEQUENCE cmn_msm.msm_id_seq RESTART WITH 6;

-- Item types: bought material is what purchasing buys, paint what the
-- request lines choose as their colour; blanks and products are made.
INSERT INTO cmn_inventory_items.ii_type (id, s_caption) VALUES
  (0, 'Материал'),
  (1, 'Заготовка'),
  (2, 'Изделие'),
  (3, 'Краска');

-- Operation results.
INSERT INTO mnf_operation.operation_state (id, s_caption) VALUES
  (0, 'Готовая продукция'),
  (1, 'Заготовки');

-- Item kind 0 ("no kind"), without a department so the kinds book does not
-- list it. Kind 7 holds the paints: a paint issue line is issued together
-- with its material line, never by itself.
INSERT INTO cmn_inventory_items.nomenclature (id, s_caption, id_department) VALUES
  (0, '', NULL),
  (7, 'Краски', 0);
ALTER SEQUENCE cmn_inventory_items.nomenclature_id_seq RESTART WITH 8;

-- Item 0: the paint of an unpainted request line. Without a type it appears
-- in no item list.
INSERT INTO cmn_inventory_items.inventory_items (id, marka, id_nom, id_type, id_msm, ral)
VALUES (0, '', 0, NULL, NULL, false);

-- The shift save takes paint off the stock for operations of this type.
INSERT INTO mnf_operation.operation_type (s_caption, s_description)
VALUES ('ПОКРАСКА', 'Покраска изделий');
