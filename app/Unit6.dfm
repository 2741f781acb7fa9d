object DataModule6: TDataModule6
  Height = 480
  Width = 640
  object ADO_DB: TADOConnection
    ConnectionString = 'Provider=MSDASQL.1;Persist Security Info=False;Data Source=velmora_dev'
    Connected = True
    LoginPrompt = False
  end
  object workers: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'SELECT person.s_caption, s_second_name, s_first_name, s_third_name, b_employee, person.id, staff.s_caption s_staffpos, '
      'staff.id staff_id, dep.s_caption s_department, dep.id dep_id , roles.s_caption s_role, roles.id role_id '
      'FROM hrms_staffpos.staffpos staff, cmn_contractor.person person, cmn_department.department dep, adm_role.roles roles '
      'where person.b_employee = true and staff.id=person.id_staffpos and dep.id=person.id_department and roles.id = person.id_role '
      'order by s_caption')
    object workerss_caption: TWideStringField
      FieldName = 's_caption'
      ReadOnly = True
      Size = 254
    end
    object workerss_second_name: TWideStringField
      FieldName = 's_second_name'
      ReadOnly = True
      Size = 254
    end
    object workerss_first_name: TWideStringField
      FieldName = 's_first_name'
      ReadOnly = True
      Size = 254
    end
    object workerss_third_name: TWideStringField
      FieldName = 's_third_name'
      ReadOnly = True
      Size = 254
    end
    object workersb_employee: TStringField
      FieldName = 'b_employee'
      ReadOnly = True
      Size = 5
    end
    object workersid: TIntegerField
      FieldName = 'id'
      ReadOnly = True
    end
    object workerss_staffpos: TWideStringField
      FieldName = 's_staffpos'
      ReadOnly = True
      Size = 254
    end
    object workerss_department: TWideStringField
      FieldName = 's_department'
      ReadOnly = True
      Size = 254
    end
    object workersdep_id: TAutoIncField
      FieldName = 'dep_id'
      ReadOnly = True
    end
    object workerss_role: TWideStringField
      FieldName = 's_role'
      ReadOnly = True
      Size = 254
    end
    object workersrole_id: TBCDField
      FieldName = 'role_id'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object workersstaff_id: TAutoIncField
      FieldName = 'staff_id'
      ReadOnly = True
    end
  end
  object department: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'select d.*, d1.s_caption s_parent from cmn_department.department d, cmn_department.v_department d1 '
      'where d.id_parent = d1.id '
      'order by s_caption;')
    object departments_caption: TWideStringField
      FieldName = 's_caption'
      Size = 254
    end
    object departments_description: TWideStringField
      FieldName = 's_description'
      Size = 4000
    end
    object departmentid_parent: TBCDField
      FieldName = 'id_parent'
      Precision = 15
      Size = 0
    end
    object departmenttype: TBCDField
      FieldName = 'type'
      Precision = 15
      Size = 0
    end
    object departments_type: TWideStringField
      FieldName = 's_type'
      Size = 254
    end
    object departmentid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object departments_parent: TWideStringField
      FieldName = 's_parent'
      Size = 254
    end
  end
  object staffpos: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'SELECT s.*, d.s_caption s_dep'
      'FROM hrms_staffpos.staffpos s, cmn_department.department d '
      'where d.id=s.id_department order by s.s_caption')
    object staffposid_department: TBCDField
      FieldName = 'id_department'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object staffposs_caption: TWideStringField
      FieldName = 's_caption'
      ReadOnly = True
      Size = 254
    end
    object staffposd_begin: TDateField
      FieldName = 'd_begin'
      ReadOnly = True
    end
    object staffposd_end: TDateField
      FieldName = 'd_end'
      ReadOnly = True
    end
    object staffposs_description: TWideStringField
      FieldName = 's_description'
      ReadOnly = True
      Size = 4000
    end
    object staffposid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object staffposs_dep: TWideStringField
      FieldName = 's_dep'
      ReadOnly = True
      Size = 254
    end
  end
  object role: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'select *, case when b_active then ''+'' else ''-'' end as yesno from adm_role.roles order by s_caption')
    object roleid: TBCDField
      FieldName = 'id'
      Precision = 15
      Size = 0
    end
    object roles_name: TWideStringField
      FieldName = 's_name'
      Size = 30
    end
    object roles_caption: TWideStringField
      FieldName = 's_caption'
      Size = 254
    end
    object roled_begin: TDateField
      FieldName = 'd_begin'
    end
    object roled_end: TDateField
      FieldName = 'd_end'
    end
    object roleb_active: TStringField
      FieldName = 'b_active'
      Size = 5
    end
    object roleyesno: TWideStringField
      FieldName = 'yesno'
      ReadOnly = True
      Size = 8190
    end
  end
  object jur_person: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'select jp.* from cmn_contractor.jur_person jp  '
      'order by jp.s_caption')
    object jur_persons_caption: TWideStringField
      FieldName = 's_caption'
      Size = 254
    end
    object jur_persons_full_caption: TWideStringField
      FieldName = 's_full_caption'
      Size = 254
    end
    object jur_persons_ogrn: TWideStringField
      FieldName = 's_ogrn'
      Size = 254
    end
    object jur_persons_inn: TWideStringField
      FieldName = 's_inn'
      Size = 254
    end
    object jur_personid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
  end
  object nomenclature: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'select n.*, d.s_caption s_department from cmn_inventory_items.nomenclature n, cmn_department.department d where d.id=n.id_department'
      'order by s_caption')
    object nomenclatures_caption: TWideStringField
      FieldName = 's_caption'
      ReadOnly = True
      Size = 254
    end
    object nomenclatureid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object nomenclatureid_department: TBCDField
      FieldName = 'id_department'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object nomenclatures_department: TWideStringField
      FieldName = 's_department'
      ReadOnly = True
      Size = 254
    end
  end
  object operation_type: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'select * from mnf_operation.operation_type order by s_caption')
    object operation_types_caption: TWideStringField
      FieldName = 's_caption'
      Size = 254
    end
    object operation_types_description: TWideStringField
      FieldName = 's_description'
      Size = 4000
    end
    object operation_typeid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
  end
  object operation: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'id_proc_tech'
        DataType = ftBCD
        NumericScale = 6
        Precision = 28
      end>
    Prepared = True
    SQL.Strings = (
      'select distinct o.*, ot.s_caption s_type, ii.marka, os.s_caption s_state '
      'from mnf_operation.operation o, mnf_operation.operation_type ot, cmn_inventory_items.inventory_items ii, mnf_operation.operation_state os  '
      'where ii.id=o.id_inventory_items and ot.id = o.id_type and o.id_proc_tech = :id_proc_tech and os.id = o.id_state '
      'order by orderby')
    object operationid_type: TIntegerField
      FieldName = 'id_type'
    end
    object operationid: TIntegerField
      FieldName = 'id'
    end
    object operationid_state: TBCDField
      FieldName = 'id_state'
      Precision = 15
      Size = 0
    end
    object operationprice: TBCDField
      FieldName = 'price'
      Precision = 15
      Size = 4
    end
    object operationid_inventory_items: TIntegerField
      FieldName = 'id_inventory_items'
    end
    object operationid_proc_tech: TBCDField
      FieldName = 'id_proc_tech'
      Precision = 15
      Size = 0
    end
    object operations_type: TWideStringField
      FieldName = 's_type'
      Size = 254
    end
    object operationmarka: TWideStringField
      FieldName = 'marka'
      Size = 254
    end
    object operations_state: TWideStringField
      FieldName = 's_state'
      Size = 254
    end
    object operationorderby: TIntegerField
      FieldName = 'orderby'
    end
  end
  object proc_tech: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'select (case when sum(o.price) is null then 0 else sum(o.price) end) as full_price, pt.id, pt.s_caption, ii.marka as s_ii, pt.id_inventory_items, pt.id_gds, ii2.marka s_gds'
      'from mnf_proc_tech.proc_tech pt '
      'left outer join mnf_operation.operation o on pt.id = o.id_proc_tech'
      'left join cmn_inventory_items.inventory_items ii on  ii.id = pt.id_inventory_items'
      'left join cmn_inventory_items.inventory_items ii2 on  ii2.id = pt.id_gds '
      'group by pt.id, ii.marka, ii2.marka order by s_ii')
    object proc_techs_ii: TWideStringField
      FieldName = 's_ii'
      ReadOnly = True
      Size = 254
    end
    object proc_techs_caption: TWideStringField
      FieldName = 's_caption'
      ReadOnly = True
      Size = 254
    end
    object proc_techfull_price: TBCDField
      FieldName = 'full_price'
      ReadOnly = True
      Precision = 15
      Size = 4
    end
    object proc_techid_inventory_items: TBCDField
      FieldName = 'id_inventory_items'
      Precision = 15
      Size = 0
    end
    object proc_techid: TBCDField
      FieldName = 'id'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object proc_techid_gds: TBCDField
      FieldName = 'id_gds'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object proc_techs_gds: TWideStringField
      FieldName = 's_gds'
      ReadOnly = True
      Size = 254
    end
  end
  object inventory_items: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'select ii.*, (CASE ii.ral WHEN true THEN ''+'' END) as s_ral, it.s_caption as s_type, n.s_caption as s_nom,  m.s_identification,'
      '(select count(pt.id) from  mnf_proc_tech.proc_tech pt where pt.id_inventory_items = ii.id) as tp_cnt,pt2.id_gds, ii2.marka as s_caption_gds'
      'from cmn_inventory_items.inventory_items ii '
      'left join cmn_inventory_items.ii_type it on ii.id_type = it.id '
      'left join cmn_inventory_items.nomenclature n on ii.id_nom = n.id'
      'left join  cmn_msm.msm m on m.id = ii.id_msm '
      'left join mnf_proc_tech.proc_tech pt2 on ii.id=pt2.id_inventory_items '
      'left join cmn_inventory_items.inventory_items ii2 on ii2.id=pt2.id_gds '
      ' where ii.id<>0'
      'order by ii.marka')
    object inventory_itemss_type: TWideStringField
      FieldName = 's_type'
      ReadOnly = True
      Size = 254
    end
    object inventory_itemsmarka: TWideStringField
      FieldName = 'marka'
      ReadOnly = True
      Size = 254
    end
    object inventory_itemsmassa: TFMTBCDField
      FieldName = 'massa'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object inventory_itemsid: TBCDField
      FieldName = 'id'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object inventory_itemsid_nom: TIntegerField
      FieldName = 'id_nom'
      ReadOnly = True
    end
    object inventory_itemss_nom: TWideStringField
      FieldName = 's_nom'
      ReadOnly = True
      Size = 254
    end
    object inventory_itemsid_type: TIntegerField
      FieldName = 'id_type'
      ReadOnly = True
    end
    object inventory_itemswidth: TFMTBCDField
      FieldName = 'width'
      Precision = 28
      Size = 6
    end
    object inventory_itemsthick: TFMTBCDField
      FieldName = 'thick'
      Precision = 28
      Size = 6
    end
    object inventory_itemsral: TWideStringField
      FieldName = 'ral'
      ReadOnly = True
      Size = 8190
    end
    object inventory_itemss_ral: TWideStringField
      FieldName = 's_ral'
      ReadOnly = True
      Size = 8190
    end
    object inventory_itemsid_msm: TBCDField
      FieldName = 'id_msm'
      Precision = 15
      Size = 0
    end
    object inventory_itemsral_cons: TFMTBCDField
      FieldName = 'ral_cons'
      Precision = 28
      Size = 6
    end
    object inventory_itemss_identification: TWideStringField
      FieldName = 's_identification'
      Size = 254
    end
    object inventory_itemstp_cnt: TLargeintField
      FieldName = 'tp_cnt'
      ReadOnly = True
    end
    object inventory_itemscost_price: TFMTBCDField
      FieldName = 'cost_price'
      Precision = 28
      Size = 6
    end
    object inventory_itemsid_gds: TBCDField
      FieldName = 'id_gds'
      Precision = 15
      Size = 0
    end
    object inventory_itemss_caption_gds: TWideStringField
      FieldName = 's_caption_gds'
      Size = 254
    end
    object inventory_itemsmassa_kg: TBCDField
      FieldName = 'massa_kg'
      Precision = 15
      Size = 4
    end
  end
  object msm: TADOTable
    Connection = ADO_DB
    CursorType = ctStatic
    TableName = 'cmn_msm.msm'
    object msmid: TBCDField
      FieldName = 'id'
      Precision = 15
      Size = 0
    end
    object msms_caption: TWideStringField
      FieldName = 's_caption'
      Size = 254
    end
    object msms_identification: TWideStringField
      FieldName = 's_identification'
      Size = 254
    end
    object msmn_round: TIntegerField
      FieldName = 'n_round'
    end
  end
  object user: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 's_name'
        DataType = ftWideString
      end>
    SQL.Strings = (
      'select * from adm_user.users u where s_name = :s_name')
    object userid: TBCDField
      FieldName = 'id'
      Precision = 15
      Size = 0
    end
    object users_name: TWideStringField
      FieldName = 's_name'
      Size = 30
    end
    object users_caption: TWideStringField
      FieldName = 's_caption'
      Size = 254
    end
    object userd_registered: TDateField
      FieldName = 'd_registered'
    end
    object userd_closed: TDateField
      FieldName = 'd_closed'
    end
    object userb_active: TStringField
      FieldName = 'b_active'
      Size = 5
    end
    object userid_person: TBCDField
      FieldName = 'id_person'
      Precision = 15
      Size = 0
    end
  end
  object ver: TADOTable
    Connection = ADO_DB
    CursorType = ctStatic
    TableName = 'ver'
    object verd: TIntegerField
      FieldName = 'd'
    end
    object vert: TIntegerField
      FieldName = 't'
    end
    object verdelim: TWideStringField
      FieldName = 'delim'
      Size = 255
    end
  end
  object cmd_all: TADOCommand
    Connection = ADO_DB
    Parameters = <>
  end
  object H_Tabel_ins: TADOCommand
    Connection = ADO_DB
    Parameters = <>
  end
  object DelSmena: TADOCommand
    Connection = ADO_DB
    Parameters = <>
  end
  object Control: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <>
  end
  object stock: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'select s.*, (s.count-s.reserve) as balance, ii.marka as ii_caption, d.s_caption d_caption '
      'from stk_stocks.stock s, cmn_inventory_items.inventory_items ii, '
      'cmn_department.department d '
      'where s.id_ii = ii.id and s.id_stock =d.id and s.count>0 and (d."type" =2 or d."type" =1)')
    object stockid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object stockid_stock: TBCDField
      FieldName = 'id_stock'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object stockid_ii: TBCDField
      FieldName = 'id_ii'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object stockcount: TFMTBCDField
      FieldName = 'count'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object stockprice: TFMTBCDField
      FieldName = 'price'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object stockii_caption: TWideStringField
      FieldName = 'ii_caption'
      ReadOnly = True
      Size = 254
    end
    object stockd_caption: TWideStringField
      FieldName = 'd_caption'
      ReadOnly = True
      Size = 254
    end
    object stockreserve: TFMTBCDField
      FieldName = 'reserve'
      Precision = 28
      Size = 6
    end
    object stockgds_price: TBCDField
      FieldName = 'gds_price'
      Precision = 15
      Size = 4
    end
    object stockjob_price: TBCDField
      FieldName = 'job_price'
      Precision = 15
      Size = 4
    end
    object stockbalance: TFMTBCDField
      FieldName = 'balance'
      ReadOnly = True
      Precision = 28
      Size = 0
    end
  end
  object stock_in: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'select si.*, jp.s_full_caption as jp_caption, d.s_caption as dep_caption, (select count(si2.id)'
      ' from stk_stocks.spec_in si2 where si2.accept = false and si.id=si2.id_stock_in) as cnt_accept'
      'from stk_stocks.stock_in si, cmn_contractor.jur_person jp, cmn_department.department d  '
      'where si.id_jur_pers = jp.id and si.id_department = d.id and d."type" <>0'
      'group by si.id, jp.s_full_caption, d.s_caption;')
    object stock_inid_jur_pers: TBCDField
      FieldName = 'id_jur_pers'
      Precision = 15
      Size = 0
    end
    object stock_indate_in: TDateField
      FieldName = 'date_in'
    end
    object stock_ind_datetime: TDateField
      FieldName = 'd_datetime'
    end
    object stock_injp_caption: TWideStringField
      FieldName = 'jp_caption'
      Size = 254
    end
    object stock_inid_department: TBCDField
      FieldName = 'id_department'
      Precision = 15
      Size = 0
    end
    object stock_indep_caption: TWideStringField
      FieldName = 'dep_caption'
      Size = 254
    end
    object stock_inid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object stock_inid_accomp_doc: TWideStringField
      FieldName = 'id_accomp_doc'
      Size = 254
    end
    object stock_incnt_accept: TLargeintField
      FieldName = 'cnt_accept'
      ReadOnly = True
    end
  end
  object app_doc: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'SELECT ad.*, jp.s_full_caption s_jp_caption, p.s_caption s_person_caption, jp.id as id_jp'
      'FROM mnf_app.app_doc ad, cmn_contractor.jur_person jp, cmn_contractor.person p where ad.id_jur_person = jp.id and ad.id_person = p.id and ad.id_app_doc =0 '
      'order by d_date DESC')
    object app_docid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object app_docd_date: TDateTimeField
      FieldName = 'd_date'
    end
    object app_docid_jur_person: TBCDField
      FieldName = 'id_jur_person'
      Precision = 15
      Size = 0
    end
    object app_docid_person: TBCDField
      FieldName = 'id_person'
      Precision = 15
      Size = 0
    end
    object app_docd_mnf: TDateField
      FieldName = 'd_mnf'
    end
    object app_docd_out: TDateField
      FieldName = 'd_out'
    end
    object app_docm_id: TBCDField
      FieldName = 'm_id'
      Precision = 15
      Size = 0
    end
    object app_docid_app_doc: TBCDField
      FieldName = 'id_app_doc'
      Precision = 15
      Size = 0
    end
    object app_docid_app_spec: TBCDField
      FieldName = 'id_app_spec'
      Precision = 15
      Size = 0
    end
    object app_docs_jp_caption: TWideStringField
      FieldName = 's_jp_caption'
      Size = 254
    end
    object app_docs_person_caption: TWideStringField
      FieldName = 's_person_caption'
      Size = 254
    end
    object app_docid_jp: TAutoIncField
      FieldName = 'id_jp'
      ReadOnly = True
    end
  end
  object app_spec: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'ii_id2'
        DataType = ftBCD
        NumericScale = 6
        Precision = 28
      end
      item
        Name = 'ii_id1'
        DataType = ftBCD
        NumericScale = 6
        Precision = 28
      end>
    SQL.Strings = (
      'SELECT as1.id, as1.cnt-as1.done as cnt_done, as1.cnt, as1.done, as1.id_ii, ii.marka ii_s_caption, m.s_identification as msm_s_caption, as1.id_app_doc, ii.ral_cons, as1.job_price, as1.gds_price,'
      '(ii.ral_cons*cnt)::t_money as ral_need, ii2.marka as ral_s_caption, (ii.massa*as1.cnt)::t_money as gds_need, ii1.marka as gds_s_caption, ii1.id as id_gds, ii1.id_type as id_type_gds,'
      'case when ad.id_app_doc=0 then NULL else ad.id_app_doc end  as ad_id_app_doc, ad.d_mnf, ad.d_out, ad.id_jur_person, ad.id_person, ad.id_app_spec, '
      '(select sum(distinct s.count) as stk_gds from stk_stocks.stock s, mnf_proc_tech.proc_tech pt where s.id_ii = pt.id_gds and pt.id_inventory_items = ii.id),'
      '(select sum(distinct s.count) as stk_ral from stk_stocks.stock s, mnf_proc_tech.proc_tech pt where s.id_ii = as1.id_ral),'
      'case when as1.accept then ''Да'' else ''Нет'' end as yesno,as1.accept, (ii.massa*as1.cnt)::t_money as massa_gds, as1.id_ral,'
      'case when as1.accept_stock=2 then ''Да'' else ''Нет'' end as yesno_stk,as1.accept_stock'
      'FROM cmn_inventory_items.inventory_items ii, cmn_msm.msm m, cmn_inventory_items.inventory_items ii1, mnf_proc_tech.proc_tech pt '
      'left join mnf_app.app_spec as1 on as1.id_ii = :ii_id2'
      'left join mnf_app.app_doc ad on ad.id = as1.id_app_doc '
      'left join cmn_inventory_items.inventory_items ii2 on ii2.id = as1.id_ral'
      'where m.id = ii.id_msm and pt.id_inventory_items = ii.id and ii.id = :ii_id1 and ii1.id=pt.id_gds'
      'order by as1.id_app_doc DESC, as1.id desc')
    object app_specid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object app_speccnt_done: TFMTBCDField
      FieldName = 'cnt_done'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object app_speccnt: TFMTBCDField
      FieldName = 'cnt'
      Precision = 28
      Size = 6
    end
    object app_specid_ii: TBCDField
      FieldName = 'id_ii'
      Precision = 15
      Size = 0
    end
    object app_specii_s_caption: TWideStringField
      FieldName = 'ii_s_caption'
      Size = 254
    end
    object app_specmsm_s_caption: TWideStringField
      FieldName = 'msm_s_caption'
      Size = 254
    end
    object app_specyesno: TWideStringField
      FieldName = 'yesno'
      ReadOnly = True
      Size = 8190
    end
    object app_specaccept: TStringField
      FieldName = 'accept'
      Size = 5
    end
    object app_specmassa_gds: TFMTBCDField
      FieldName = 'massa_gds'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object app_specid_ral: TBCDField
      FieldName = 'id_ral'
      Precision = 15
      Size = 0
    end
    object app_specral_s_caption: TWideStringField
      FieldName = 'ral_s_caption'
      Size = 254
    end
    object app_specral_need: TFMTBCDField
      FieldName = 'ral_need'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object app_specgds_need: TFMTBCDField
      FieldName = 'gds_need'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object app_specstk_gds: TFMTBCDField
      FieldName = 'stk_gds'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object app_specstk_ral: TFMTBCDField
      FieldName = 'stk_ral'
      ReadOnly = True
      Precision = 28
      Size = 0
    end
    object app_specral_cons: TFMTBCDField
      FieldName = 'ral_cons'
      Precision = 28
      Size = 6
    end
    object app_specgds_s_caption: TWideStringField
      FieldName = 'gds_s_caption'
      Size = 254
    end
    object app_specid_gds: TBCDField
      FieldName = 'id_gds'
      Precision = 15
      Size = 0
    end
    object app_specjob_price: TBCDField
      FieldName = 'job_price'
      ReadOnly = True
      Precision = 15
      Size = 4
    end
    object app_specgds_price: TBCDField
      FieldName = 'gds_price'
      ReadOnly = True
      Precision = 15
      Size = 4
    end
    object app_specid_app_doc: TIntegerField
      FieldName = 'id_app_doc'
    end
    object app_specad_id_app_doc: TBCDField
      FieldName = 'ad_id_app_doc'
      Precision = 15
      Size = 0
    end
    object app_specid_type_gds: TIntegerField
      FieldName = 'id_type_gds'
    end
    object app_specd_mnf: TDateField
      FieldName = 'd_mnf'
    end
    object app_specd_out: TDateField
      FieldName = 'd_out'
    end
    object app_specid_jur_person: TBCDField
      FieldName = 'id_jur_person'
      Precision = 15
      Size = 0
    end
    object app_specid_person: TBCDField
      FieldName = 'id_person'
      Precision = 15
      Size = 0
    end
    object app_specid_app_spec: TBCDField
      FieldName = 'id_app_spec'
      Precision = 15
      Size = 0
    end
    object app_specyesno_stk: TWideStringField
      FieldName = 'yesno_stk'
      ReadOnly = True
      Size = 8190
    end
    object app_specaccept_stock: TIntegerField
      FieldName = 'accept_stock'
    end
    object app_specdone: TBCDField
      FieldName = 'done'
      Precision = 15
      Size = 4
    end
  end
  object spec_out: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    SQL.Strings = (
      'SELECT ii.marka, ii.id as ii_id, ii.id_nom, d.s_caption , id_stock_out, cnt_gds, d_datetime, so.accept, so.id, so.id_app_doc, m.s_identification as msm_caption, as2.id_ral,'
      'case when so.accept then ''Да'' else ''Нет'' end as yesno, id_app_spec, ii.ral_cons, so.price, so.price*so.cnt_gds::t_money as all_price_gds'
      'FROM stk_stocks.spec_out so, cmn_inventory_items.inventory_items ii, cmn_msm.msm m, cmn_department.department d, mnf_app.app_spec as2 where ii.id = so.id_gds and ii.id_msm = m.id and d.id = so.id_stock_out and as2.id=id_app_spec'
      'order by id_app_doc desc, so.id_app_spec asc, ii.marka asc')
    object spec_outmarka: TWideStringField
      FieldName = 'marka'
      Size = 254
    end
    object spec_outid_stock_out: TIntegerField
      FieldName = 'id_stock_out'
    end
    object spec_outcnt_gds: TFMTBCDField
      FieldName = 'cnt_gds'
      Precision = 28
      Size = 6
    end
    object spec_outd_datetime: TDateTimeField
      FieldName = 'd_datetime'
    end
    object spec_outaccept: TStringField
      FieldName = 'accept'
      Size = 5
    end
    object spec_outid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object spec_outid_app_doc: TBCDField
      FieldName = 'id_app_doc'
      Precision = 15
      Size = 0
    end
    object spec_outmsm_caption: TWideStringField
      FieldName = 'msm_caption'
      Size = 254
    end
    object spec_outyesno: TWideStringField
      FieldName = 'yesno'
      ReadOnly = True
      Size = 8190
    end
    object spec_outid_app_spec: TBCDField
      FieldName = 'id_app_spec'
      Precision = 15
      Size = 0
    end
    object spec_outral_cons: TFMTBCDField
      FieldName = 'ral_cons'
      Precision = 28
      Size = 6
    end
    object spec_outprice: TBCDField
      FieldName = 'price'
      ReadOnly = True
      Precision = 15
      Size = 4
    end
    object spec_outs_caption: TWideStringField
      FieldName = 's_caption'
      Size = 254
    end
    object spec_outii_id: TBCDField
      FieldName = 'ii_id'
      Precision = 15
      Size = 0
    end
    object spec_outid_nom: TIntegerField
      FieldName = 'id_nom'
    end
    object spec_outall_price_gds: TFMTBCDField
      FieldName = 'all_price_gds'
      ReadOnly = True
      Precision = 28
      Size = 4
    end
    object spec_outid_ral: TBCDField
      FieldName = 'id_ral'
      Precision = 15
      Size = 0
    end
  end
  object Smena1: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'data'
        DataType = ftDateTime
      end
      item
        Name = 'OK'
        DataType = ftWideString
      end>
    SQL.Strings = (
      'select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, '
      'smena.cena,person.s_caption fio, ii1.marka, ot.s_caption vid_oper, (SELECT (CASE id_state WHEN 0 THEN ''Готовая продукция'' ELSE ''Заготовки'' END)) as nmn, o.id, smena.kol_vo, smena.brak, '
      'round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize,time, smena.ok, date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, '
      'smena.id_cons_use, ii.marka as s_caption_color '
      'from cmn_contractor.person person,cmn_inventory_items.inventory_items ii1, mnf_operation.operation o,accounts_dep.smena, mnf_operation.operation_type ot, mnf_app.app_spec as2, cmn_inventory_items.inventory_items ii '
      'where smena.i_id=ii1.id and smena.o_id=o.id and ii.id = as2.id_ral and as2.id_ii = ii1.id and as2.id=smena.id_doc_item and '
      'o.id_type=ot.id and smena.smena=1 and smena.data=:data and ok!=:OK and smena.w_id= person.id '
      'order by  ii1.marka, fio,ot.s_caption, o.id')
    object Smena1id: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object Smena1data: TDateField
      FieldName = 'data'
    end
    object Smena1smena: TIntegerField
      FieldName = 'smena'
    end
    object Smena1i_id: TIntegerField
      FieldName = 'i_id'
    end
    object Smena1o_id: TIntegerField
      FieldName = 'o_id'
    end
    object Smena1w_id: TIntegerField
      FieldName = 'w_id'
    end
    object Smena1cena: TBCDField
      FieldName = 'cena'
      Precision = 15
      Size = 4
    end
    object Smena1fio: TWideStringField
      FieldName = 'fio'
      Size = 254
    end
    object Smena1marka: TWideStringField
      FieldName = 'marka'
      Size = 254
    end
    object Smena1vid_oper: TWideStringField
      FieldName = 'vid_oper'
      Size = 254
    end
    object Smena1nmn: TWideStringField
      FieldName = 'nmn'
      ReadOnly = True
      Size = 8190
    end
    object Smena1id_1: TIntegerField
      FieldName = 'id_1'
    end
    object Smena1kol_vo: TFMTBCDField
      FieldName = 'kol_vo'
      Precision = 28
      Size = 6
    end
    object Smena1brak: TIntegerField
      FieldName = 'brak'
    end
    object Smena1summa: TFMTBCDField
      FieldName = 'summa'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object Smena1prize: TFMTBCDField
      FieldName = 'prize'
      Precision = 28
      Size = 6
    end
    object Smena1time: TIntegerField
      FieldName = 'time'
    end
    object Smena1ok: TWideStringField
      FieldName = 'ok'
      Size = 2
      FixedChar = True
    end
    object Smena1vvod: TDateField
      FieldName = 'vvod'
      ReadOnly = True
    end
    object Smena1id_doc: TBCDField
      FieldName = 'id_doc'
      Precision = 15
      Size = 0
    end
    object Smena1id_doc_item: TBCDField
      FieldName = 'id_doc_item'
      Precision = 15
      Size = 0
    end
    object Smena1f_gds_qty_use: TFMTBCDField
      FieldName = 'f_gds_qty_use'
      Precision = 28
      Size = 6
    end
    object Smena1id_gds_use: TBCDField
      FieldName = 'id_gds_use'
      Precision = 15
      Size = 0
    end
    object Smena1id_cons_use: TBCDField
      FieldName = 'id_cons_use'
      Precision = 15
      Size = 0
    end
    object Smena1s_caption_color: TWideStringField
      FieldName = 's_caption_color'
      Size = 254
    end
  end
  object Smena2: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'data'
        DataType = ftDateTime
      end
      item
        Name = 'OK'
        DataType = ftWideString
      end>
    SQL.Strings = (
      'select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, '
      'smena.cena,person.s_caption fio, ii1.marka, ot.s_caption vid_oper, (SELECT (CASE id_state WHEN 0 THEN ''Готовая продукция'' ELSE ''Заготовки'' END)) as nmn, o.id, smena.kol_vo, smena.brak, '
      'round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize,time, smena.ok, date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, '
      'smena.id_cons_use, ii.marka as s_caption_color '
      'from cmn_contractor.person person,cmn_inventory_items.inventory_items ii1, mnf_operation.operation o,accounts_dep.smena, mnf_operation.operation_type ot, mnf_app.app_spec as2, cmn_inventory_items.inventory_items ii '
      'where smena.i_id=ii1.id and smena.o_id=o.id and ii.id = as2.id_ral and as2.id_ii = ii1.id and as2.id=smena.id_doc_item and '
      'o.id_type=ot.id and smena.smena=2 and smena.data=:data and ok!=:OK and smena.w_id= person.id '
      'order by  ii1.marka, fio,ot.s_caption, o.id')
    object Smena2id: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object Smena2data: TDateField
      FieldName = 'data'
    end
    object Smena2smena: TIntegerField
      FieldName = 'smena'
    end
    object Smena2i_id: TIntegerField
      FieldName = 'i_id'
    end
    object Smena2o_id: TIntegerField
      FieldName = 'o_id'
    end
    object Smena2w_id: TIntegerField
      FieldName = 'w_id'
    end
    object Smena2cena: TBCDField
      FieldName = 'cena'
      Precision = 15
      Size = 4
    end
    object Smena2fio: TWideStringField
      FieldName = 'fio'
      Size = 254
    end
    object Smena2marka: TWideStringField
      FieldName = 'marka'
      Size = 254
    end
    object Smena2vid_oper: TWideStringField
      FieldName = 'vid_oper'
      Size = 254
    end
    object Smena2nmn: TWideStringField
      FieldName = 'nmn'
      ReadOnly = True
      Size = 8190
    end
    object Smena2id_1: TAutoIncField
      FieldName = 'id_1'
      ReadOnly = True
    end
    object Smena2kol_vo: TFMTBCDField
      FieldName = 'kol_vo'
      Precision = 28
      Size = 6
    end
    object Smena2brak: TIntegerField
      FieldName = 'brak'
    end
    object Smena2summa: TFMTBCDField
      FieldName = 'summa'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object Smena2prize: TFMTBCDField
      FieldName = 'prize'
      Precision = 28
      Size = 6
    end
    object Smena2time: TIntegerField
      FieldName = 'time'
    end
    object Smena2ok: TWideStringField
      FieldName = 'ok'
      Size = 2
      FixedChar = True
    end
    object Smena2vvod: TDateField
      FieldName = 'vvod'
      ReadOnly = True
    end
    object Smena2id_doc: TBCDField
      FieldName = 'id_doc'
      Precision = 15
      Size = 0
    end
    object Smena2id_doc_item: TBCDField
      FieldName = 'id_doc_item'
      Precision = 15
      Size = 0
    end
    object Smena2f_gds_qty_use: TFMTBCDField
      FieldName = 'f_gds_qty_use'
      Precision = 28
      Size = 6
    end
    object Smena2id_gds_use: TBCDField
      FieldName = 'id_gds_use'
      Precision = 15
      Size = 0
    end
    object Smena2id_cons_use: TBCDField
      FieldName = 'id_cons_use'
      Precision = 15
      Size = 0
    end
    object Smena2s_caption_color: TWideStringField
      FieldName = 's_caption_color'
      Size = 254
    end
  end
  object Smena3: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'data'
        DataType = ftDateTime
      end
      item
        Name = 'OK'
        DataType = ftWideString
      end>
    SQL.Strings = (
      'select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, '
      'smena.cena,person.s_caption fio, ii1.marka, ot.s_caption vid_oper, (SELECT (CASE id_state WHEN 0 THEN ''Готовая продукция'' ELSE ''Заготовки'' END)) as nmn, o.id, smena.kol_vo, smena.brak, '
      'round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize,time, smena.ok, date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, '
      'smena.id_cons_use, ii.marka as s_caption_color '
      'from cmn_contractor.person person,cmn_inventory_items.inventory_items ii1, mnf_operation.operation o,accounts_dep.smena, mnf_operation.operation_type ot, mnf_app.app_spec as2, cmn_inventory_items.inventory_items ii '
      'where smena.i_id=ii1.id and smena.o_id=o.id and ii.id = as2.id_ral and as2.id_ii = ii1.id and as2.id=smena.id_doc_item and '
      'o.id_type=ot.id and smena.smena=3 and smena.data=:data and ok!=:OK and smena.w_id= person.id '
      'order by  ii1.marka, fio,ot.s_caption, o.id')
    object Smena3id: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object Smena3data: TDateField
      FieldName = 'data'
    end
    object Smena3smena: TIntegerField
      FieldName = 'smena'
    end
    object Smena3i_id: TIntegerField
      FieldName = 'i_id'
    end
    object Smena3o_id: TIntegerField
      FieldName = 'o_id'
    end
    object Smena3w_id: TIntegerField
      FieldName = 'w_id'
    end
    object Smena3cena: TBCDField
      FieldName = 'cena'
      Precision = 15
      Size = 4
    end
    object Smena3fio: TWideStringField
      FieldName = 'fio'
      Size = 254
    end
    object Smena3marka: TWideStringField
      FieldName = 'marka'
      Size = 254
    end
    object Smena3vid_oper: TWideStringField
      FieldName = 'vid_oper'
      Size = 254
    end
    object Smena3nmn: TWideStringField
      FieldName = 'nmn'
      ReadOnly = True
      Size = 8190
    end
    object Smena3id_1: TAutoIncField
      FieldName = 'id_1'
      ReadOnly = True
    end
    object Smena3kol_vo: TFMTBCDField
      FieldName = 'kol_vo'
      Precision = 28
      Size = 6
    end
    object Smena3brak: TIntegerField
      FieldName = 'brak'
    end
    object Smena3summa: TFMTBCDField
      FieldName = 'summa'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object Smena3prize: TFMTBCDField
      FieldName = 'prize'
      Precision = 28
      Size = 6
    end
    object Smena3time: TIntegerField
      FieldName = 'time'
    end
    object Smena3ok: TWideStringField
      FieldName = 'ok'
      Size = 2
      FixedChar = True
    end
    object Smena3vvod: TDateField
      FieldName = 'vvod'
      ReadOnly = True
    end
    object Smena3id_doc: TBCDField
      FieldName = 'id_doc'
      Precision = 15
      Size = 0
    end
    object Smena3id_doc_item: TBCDField
      FieldName = 'id_doc_item'
      Precision = 15
      Size = 0
    end
    object Smena3f_gds_qty_use: TFMTBCDField
      FieldName = 'f_gds_qty_use'
      Precision = 28
      Size = 6
    end
    object Smena3id_gds_use: TBCDField
      FieldName = 'id_gds_use'
      Precision = 15
      Size = 0
    end
    object Smena3id_cons_use: TBCDField
      FieldName = 'id_cons_use'
      Precision = 15
      Size = 0
    end
    object Smena3s_caption_color: TWideStringField
      FieldName = 's_caption_color'
      Size = 254
    end
  end
  object Smena4: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'data'
        DataType = ftDateTime
      end
      item
        Name = 'OK'
        DataType = ftWideString
      end>
    SQL.Strings = (
      'select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, '
      'smena.cena,person.s_caption fio, ii1.marka, ot.s_caption vid_oper, (SELECT (CASE id_state WHEN 0 THEN ''Готовая продукция'' ELSE ''Заготовки'' END)) as nmn, o.id, smena.kol_vo, smena.brak, '
      'round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize,time, smena.ok, date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, '
      'smena.id_cons_use, ii.marka as s_caption_color '
      'from cmn_contractor.person person,cmn_inventory_items.inventory_items ii1, mnf_operation.operation o,accounts_dep.smena, mnf_operation.operation_type ot, mnf_app.app_spec as2, cmn_inventory_items.inventory_items ii '
      'where smena.i_id=ii1.id and smena.o_id=o.id and ii.id = as2.id_ral and as2.id_ii = ii1.id and as2.id=smena.id_doc_item and '
      'o.id_type=ot.id and smena.smena=4 and smena.data=:data and ok!=:OK and smena.w_id= person.id '
      'order by  ii1.marka, fio,ot.s_caption, o.id')
    object Smena4id: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object Smena4data: TDateField
      FieldName = 'data'
      ReadOnly = True
    end
    object Smena4smena: TIntegerField
      FieldName = 'smena'
      ReadOnly = True
    end
    object Smena4i_id: TIntegerField
      FieldName = 'i_id'
      ReadOnly = True
    end
    object Smena4o_id: TIntegerField
      FieldName = 'o_id'
      ReadOnly = True
    end
    object Smena4w_id: TIntegerField
      FieldName = 'w_id'
      ReadOnly = True
    end
    object Smena4cena: TBCDField
      FieldName = 'cena'
      ReadOnly = True
      Precision = 15
      Size = 4
    end
    object Smena4fio: TWideStringField
      FieldName = 'fio'
      ReadOnly = True
      Size = 254
    end
    object Smena4marka: TWideStringField
      FieldName = 'marka'
      ReadOnly = True
      Size = 254
    end
    object Smena4vid_oper: TWideStringField
      FieldName = 'vid_oper'
      ReadOnly = True
      Size = 254
    end
    object Smena4nmn: TWideStringField
      FieldName = 'nmn'
      ReadOnly = True
      Size = 8190
    end
    object Smena4id_1: TAutoIncField
      FieldName = 'id_1'
      ReadOnly = True
    end
    object Smena4kol_vo: TFMTBCDField
      FieldName = 'kol_vo'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object Smena4brak: TIntegerField
      FieldName = 'brak'
      ReadOnly = True
    end
    object Smena4summa: TFMTBCDField
      FieldName = 'summa'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object Smena4prize: TFMTBCDField
      FieldName = 'prize'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object Smena4time: TIntegerField
      FieldName = 'time'
      ReadOnly = True
    end
    object Smena4ok: TWideStringField
      FieldName = 'ok'
      ReadOnly = True
      Size = 2
      FixedChar = True
    end
    object Smena4vvod: TDateField
      FieldName = 'vvod'
      ReadOnly = True
    end
    object Smena4id_doc: TBCDField
      FieldName = 'id_doc'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object Smena4id_doc_item: TBCDField
      FieldName = 'id_doc_item'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object Smena4f_gds_qty_use: TFMTBCDField
      FieldName = 'f_gds_qty_use'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object Smena4id_gds_use: TBCDField
      FieldName = 'id_gds_use'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object Smena4id_cons_use: TBCDField
      FieldName = 'id_cons_use'
      ReadOnly = True
      Precision = 15
      Size = 0
    end
    object Smena4s_caption_color: TWideStringField
      FieldName = 's_caption_color'
      Size = 254
    end
  end
  object H_Tabel_1: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'mnth'
        DataType = ftInteger
      end
      item
        Name = 'yea'
        DataType = ftInteger
      end>
    SQL.Strings = (
      'select person.s_caption fio, h_tabel.*,(d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11'
      '+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22+d23+d24+d25'
      '+d26+d27+d28+d29+d30+d31) as summ from accounts_dep.h_tabel, cmn_contractor.person where '
      'h_tabel.w_id=person.s_code::integer and h_tabel.smena=1 and month=:mnth and '
      'year=:yea order by fio')
    object H_Tabel_1fio: TStringField
      FieldName = 'fio'
      ReadOnly = True
      Size = 254
    end
    object H_Tabel_1w_id: TIntegerField
      FieldName = 'w_id'
      ReadOnly = True
    end
    object H_Tabel_1month: TIntegerField
      FieldName = 'month'
      ReadOnly = True
    end
    object H_Tabel_1year: TIntegerField
      FieldName = 'year'
      ReadOnly = True
    end
    object H_Tabel_1smena: TIntegerField
      FieldName = 'smena'
      ReadOnly = True
    end
    object H_Tabel_1id: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object H_Tabel_1d1: TIntegerField
      FieldName = 'd1'
      ReadOnly = True
    end
    object H_Tabel_1d2: TIntegerField
      FieldName = 'd2'
      ReadOnly = True
    end
    object H_Tabel_1d3: TIntegerField
      FieldName = 'd3'
      ReadOnly = True
    end
    object H_Tabel_1d4: TIntegerField
      FieldName = 'd4'
      ReadOnly = True
    end
    object H_Tabel_1d5: TIntegerField
      FieldName = 'd5'
      ReadOnly = True
    end
    object H_Tabel_1d6: TIntegerField
      FieldName = 'd6'
      ReadOnly = True
    end
    object H_Tabel_1d7: TIntegerField
      FieldName = 'd7'
      ReadOnly = True
    end
    object H_Tabel_1d8: TIntegerField
      FieldName = 'd8'
      ReadOnly = True
    end
    object H_Tabel_1d9: TIntegerField
      FieldName = 'd9'
      ReadOnly = True
    end
    object H_Tabel_1d10: TIntegerField
      FieldName = 'd10'
      ReadOnly = True
    end
    object H_Tabel_1d11: TIntegerField
      FieldName = 'd11'
      ReadOnly = True
    end
    object H_Tabel_1d12: TIntegerField
      FieldName = 'd12'
      ReadOnly = True
    end
    object H_Tabel_1d13: TIntegerField
      FieldName = 'd13'
      ReadOnly = True
    end
    object H_Tabel_1d14: TIntegerField
      FieldName = 'd14'
      ReadOnly = True
    end
    object H_Tabel_1d15: TIntegerField
      FieldName = 'd15'
      ReadOnly = True
    end
    object H_Tabel_1d16: TIntegerField
      FieldName = 'd16'
      ReadOnly = True
    end
    object H_Tabel_1d17: TIntegerField
      FieldName = 'd17'
      ReadOnly = True
    end
    object H_Tabel_1d18: TIntegerField
      FieldName = 'd18'
      ReadOnly = True
    end
    object H_Tabel_1d19: TIntegerField
      FieldName = 'd19'
      ReadOnly = True
    end
    object H_Tabel_1d20: TIntegerField
      FieldName = 'd20'
      ReadOnly = True
    end
    object H_Tabel_1d21: TIntegerField
      FieldName = 'd21'
      ReadOnly = True
    end
    object H_Tabel_1d22: TIntegerField
      FieldName = 'd22'
      ReadOnly = True
    end
    object H_Tabel_1d23: TIntegerField
      FieldName = 'd23'
      ReadOnly = True
    end
    object H_Tabel_1d24: TIntegerField
      FieldName = 'd24'
      ReadOnly = True
    end
    object H_Tabel_1d25: TIntegerField
      FieldName = 'd25'
      ReadOnly = True
    end
    object H_Tabel_1d26: TIntegerField
      FieldName = 'd26'
      ReadOnly = True
    end
    object H_Tabel_1d27: TIntegerField
      FieldName = 'd27'
      ReadOnly = True
    end
    object H_Tabel_1d28: TIntegerField
      FieldName = 'd28'
      ReadOnly = True
    end
    object H_Tabel_1d29: TIntegerField
      FieldName = 'd29'
      ReadOnly = True
    end
    object H_Tabel_1d30: TIntegerField
      FieldName = 'd30'
      ReadOnly = True
    end
    object H_Tabel_1d31: TIntegerField
      FieldName = 'd31'
      ReadOnly = True
    end
    object H_Tabel_1summ: TIntegerField
      FieldName = 'summ'
      ReadOnly = True
    end
  end
  object H_Tabel_2: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'mnth'
        DataType = ftInteger
      end
      item
        Name = 'yea'
        DataType = ftInteger
      end>
    SQL.Strings = (
      'select person.s_caption fio, h_tabel.*,(d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11'
      '+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22+d23+d24+d25'
      '+d26+d27+d28+d29+d30+d31) as summ from accounts_dep.h_tabel, cmn_contractor.person where '
      'h_tabel.w_id=person.s_code::integer and h_tabel.smena=2 and month=:mnth and '
      'year=:yea order by fio')
    object H_Tabel_2fio: TStringField
      FieldName = 'fio'
      ReadOnly = True
      Size = 128
      FixedChar = True
    end
    object H_Tabel_2w_id: TIntegerField
      FieldName = 'w_id'
      ReadOnly = True
    end
    object H_Tabel_2month: TIntegerField
      FieldName = 'month'
      ReadOnly = True
    end
    object H_Tabel_2year: TIntegerField
      FieldName = 'year'
      ReadOnly = True
    end
    object H_Tabel_2smena: TIntegerField
      FieldName = 'smena'
      ReadOnly = True
    end
    object H_Tabel_2id: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object H_Tabel_2d1: TIntegerField
      FieldName = 'd1'
      ReadOnly = True
    end
    object H_Tabel_2d2: TIntegerField
      FieldName = 'd2'
      ReadOnly = True
    end
    object H_Tabel_2d3: TIntegerField
      FieldName = 'd3'
      ReadOnly = True
    end
    object H_Tabel_2d4: TIntegerField
      FieldName = 'd4'
      ReadOnly = True
    end
    object H_Tabel_2d5: TIntegerField
      FieldName = 'd5'
      ReadOnly = True
    end
    object H_Tabel_2d6: TIntegerField
      FieldName = 'd6'
      ReadOnly = True
    end
    object H_Tabel_2d7: TIntegerField
      FieldName = 'd7'
      ReadOnly = True
    end
    object H_Tabel_2d8: TIntegerField
      FieldName = 'd8'
      ReadOnly = True
    end
    object H_Tabel_2d9: TIntegerField
      FieldName = 'd9'
      ReadOnly = True
    end
    object H_Tabel_2d10: TIntegerField
      FieldName = 'd10'
      ReadOnly = True
    end
    object H_Tabel_2d11: TIntegerField
      FieldName = 'd11'
      ReadOnly = True
    end
    object H_Tabel_2d12: TIntegerField
      FieldName = 'd12'
      ReadOnly = True
    end
    object H_Tabel_2d13: TIntegerField
      FieldName = 'd13'
      ReadOnly = True
    end
    object H_Tabel_2d14: TIntegerField
      FieldName = 'd14'
      ReadOnly = True
    end
    object H_Tabel_2d15: TIntegerField
      FieldName = 'd15'
      ReadOnly = True
    end
    object H_Tabel_2d16: TIntegerField
      FieldName = 'd16'
      ReadOnly = True
    end
    object H_Tabel_2d17: TIntegerField
      FieldName = 'd17'
      ReadOnly = True
    end
    object H_Tabel_2d18: TIntegerField
      FieldName = 'd18'
      ReadOnly = True
    end
    object H_Tabel_2d19: TIntegerField
      FieldName = 'd19'
      ReadOnly = True
    end
    object H_Tabel_2d20: TIntegerField
      FieldName = 'd20'
      ReadOnly = True
    end
    object H_Tabel_2d21: TIntegerField
      FieldName = 'd21'
      ReadOnly = True
    end
    object H_Tabel_2d22: TIntegerField
      FieldName = 'd22'
      ReadOnly = True
    end
    object H_Tabel_2d23: TIntegerField
      FieldName = 'd23'
      ReadOnly = True
    end
    object H_Tabel_2d24: TIntegerField
      FieldName = 'd24'
      ReadOnly = True
    end
    object H_Tabel_2d25: TIntegerField
      FieldName = 'd25'
      ReadOnly = True
    end
    object H_Tabel_2d26: TIntegerField
      FieldName = 'd26'
      ReadOnly = True
    end
    object H_Tabel_2d27: TIntegerField
      FieldName = 'd27'
      ReadOnly = True
    end
    object H_Tabel_2d28: TIntegerField
      FieldName = 'd28'
      ReadOnly = True
    end
    object H_Tabel_2d29: TIntegerField
      FieldName = 'd29'
      ReadOnly = True
    end
    object H_Tabel_2d30: TIntegerField
      FieldName = 'd30'
      ReadOnly = True
    end
    object H_Tabel_2d31: TIntegerField
      FieldName = 'd31'
      ReadOnly = True
    end
    object H_Tabel_2summ: TIntegerField
      FieldName = 'summ'
      ReadOnly = True
    end
  end
  object H_Tabel_3: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'mnth'
        DataType = ftInteger
      end
      item
        Name = 'yea'
        DataType = ftInteger
      end>
    SQL.Strings = (
      'select person.s_caption fio, h_tabel.*,(d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11'
      '+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22+d23+d24+d25'
      '+d26+d27+d28+d29+d30+d31) as summ from accounts_dep.h_tabel, cmn_contractor.person where '
      'h_tabel.w_id=person.s_code::integer and h_tabel.smena=3 and month=:mnth and '
      'year=:yea order by fio')
    object H_Tabel_3w_id: TIntegerField
      FieldName = 'w_id'
    end
    object H_Tabel_3month: TSmallintField
      FieldName = 'month'
    end
    object H_Tabel_3smena: TSmallintField
      FieldName = 'smena'
    end
    object H_Tabel_3year: TSmallintField
      FieldName = 'year'
    end
    object H_Tabel_3id: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object H_Tabel_3d1: TSmallintField
      FieldName = 'd1'
    end
    object H_Tabel_3d2: TSmallintField
      FieldName = 'd2'
    end
    object H_Tabel_3d3: TSmallintField
      FieldName = 'd3'
    end
    object H_Tabel_3d4: TSmallintField
      FieldName = 'd4'
    end
    object H_Tabel_3d5: TSmallintField
      FieldName = 'd5'
    end
    object H_Tabel_3d6: TSmallintField
      FieldName = 'd6'
    end
    object H_Tabel_3d7: TSmallintField
      FieldName = 'd7'
    end
    object H_Tabel_3d8: TSmallintField
      FieldName = 'd8'
    end
    object H_Tabel_3d9: TSmallintField
      FieldName = 'd9'
    end
    object H_Tabel_3d10: TSmallintField
      FieldName = 'd10'
    end
    object H_Tabel_3d11: TSmallintField
      FieldName = 'd11'
    end
    object H_Tabel_3d12: TSmallintField
      FieldName = 'd12'
    end
    object H_Tabel_3d13: TSmallintField
      FieldName = 'd13'
    end
    object H_Tabel_3d14: TSmallintField
      FieldName = 'd14'
    end
    object H_Tabel_3d15: TSmallintField
      FieldName = 'd15'
    end
    object H_Tabel_3d16: TSmallintField
      FieldName = 'd16'
    end
    object H_Tabel_3d17: TSmallintField
      FieldName = 'd17'
    end
    object H_Tabel_3d18: TSmallintField
      FieldName = 'd18'
    end
    object H_Tabel_3d19: TSmallintField
      FieldName = 'd19'
    end
    object H_Tabel_3d20: TSmallintField
      FieldName = 'd20'
    end
    object H_Tabel_3d21: TSmallintField
      FieldName = 'd21'
    end
    object H_Tabel_3d22: TSmallintField
      FieldName = 'd22'
    end
    object H_Tabel_3d23: TSmallintField
      FieldName = 'd23'
    end
    object H_Tabel_3d24: TSmallintField
      FieldName = 'd24'
    end
    object H_Tabel_3d25: TSmallintField
      FieldName = 'd25'
    end
    object H_Tabel_3d26: TSmallintField
      FieldName = 'd26'
    end
    object H_Tabel_3d27: TSmallintField
      FieldName = 'd27'
    end
    object H_Tabel_3d28: TSmallintField
      FieldName = 'd28'
    end
    object H_Tabel_3d29: TSmallintField
      FieldName = 'd29'
    end
    object H_Tabel_3d30: TSmallintField
      FieldName = 'd30'
    end
    object H_Tabel_3d31: TSmallintField
      FieldName = 'd31'
    end
    object H_Tabel_3fio: TWideStringField
      FieldName = 'fio'
      Size = 50
    end
    object H_Tabel_3summ: TIntegerField
      FieldName = 'summ'
    end
  end
  object w_Report: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'data1'
        DataType = ftDateTime
      end
      item
        Name = 'data2'
        DataType = ftDateTime
      end>
    SQL.Strings = (
      'select workers.fio, inventory_items.marka, vid_oper.vid, oper.naimen, '
      'sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*smena.cena) as summa '
      'from accounts_dep.workers,accounts_dep.inventory_items,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper where smena.o_id=oper.id and '
      'smena.w_id=workers.id and smena.i_id=inventory_items.id and smena.o_id=oper.id '
      'and w_id=workers.id and oper.vid=vid_oper.id and smena.data<:data2 and '
      'smena.data>=:data1 group by fio, marka, vid_oper.vid, oper.naimen'
      'order by fio')
    object w_Reportfio: TWideStringField
      FieldName = 'fio'
      Size = 50
    end
    object w_Reportmarka: TWideStringField
      FieldName = 'marka'
      Size = 50
    end
    object w_Reportvid: TWideStringField
      FieldName = 'vid'
      Size = 50
    end
    object w_Reportnaimen: TSmallintField
      FieldName = 'naimen'
    end
    object w_Reportsumma: TBCDField
      FieldName = 'summa'
      Precision = 19
      Size = 4
    end
    object w_Reportkolvo: TFMTBCDField
      FieldName = 'kolvo'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object w_Reportbrk: TLargeintField
      FieldName = 'brk'
      ReadOnly = True
    end
  end
  object i_Report: TADOQuery
    Connection = ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'data1'
        DataType = ftDateTime
      end
      item
        Name = 'data2'
        DataType = ftDateTime
      end>
    SQL.Strings = (
      'select inventory_items.marka, vid_oper.vid, oper.naimen, '
      'sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*smena.cena) as summa '
      'from accounts_dep.inventory_items,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper where smena.o_id=oper.id and smena.i_id=inventory_items.id '
      'and smena.o_id=oper.id and oper.vid=vid_oper.id and smena.data<:data2 and '
      'smena.data>=:data1 group by marka, vid_oper.vid, '
      'oper.naimen, brak order by marka')
    object i_Reportmarka: TWideStringField
      FieldName = 'marka'
      Size = 50
    end
    object i_Reportvid: TWideStringField
      FieldName = 'vid'
      Size = 50
    end
    object i_Reportnaimen: TSmallintField
      FieldName = 'naimen'
    end
    object i_Reportsumma: TBCDField
      FieldName = 'summa'
      Precision = 19
      Size = 4
    end
    object i_Reportkolvo: TFMTBCDField
      FieldName = 'kolvo'
      ReadOnly = True
      Precision = 28
      Size = 6
    end
    object i_Reportbrk: TLargeintField
      FieldName = 'brk'
      ReadOnly = True
    end
  end
end
