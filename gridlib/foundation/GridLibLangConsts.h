// GridLibLangConsts.h: the grid library's user-visible texts, one published
// string property each, filled from the stored description of the class.
#pragma once

#include "platform/rtl/Classes.h"

// The properties in declared order.
#define GRIDLIB_LANGUAGE_TEXTS(X) \
  X(Language) \
  X(ClearSelectedCells) \
  X(InvalidTextFormat) \
  X(InvalidGRIDDBIFFormat) \
  X(ErrorDuringInsertValue) \
  X(IgnoreError) \
  X(TabularInformation) \
  X(PageOfPages) \
  X(Preview) \
  X(FieldNameNotFound) \
  X(FindDialogStringNotFoundMessage) \
  X(VisibleColumns) \
  X(Cut) \
  X(Copy) \
  X(Paste) \
  X(Delete) \
  X(SelectAll) \
  X(STFilterListItem_Empties) \
  X(STFilterListItem_NotEmpties) \
  X(STFilterListItem_All) \
  X(STFilterListItem_SelectAll) \
  X(STFilterListItem_ClearFilter) \
  X(STFilterListItem_ClearFilterInColumn) \
  X(STFilterListItem_SortingByDescend) \
  X(STFilterListItem_SortingByAscend) \
  X(STFilterListItem_ApplyFilter) \
  X(STFilterListItem_CustomFilter) \
  X(SimpFilter_equals) \
  X(SimpFilter_does_not_equal) \
  X(SimpFilter_is_greate_than) \
  X(SimpFilter_is_greate_than_or_equall_to) \
  X(SimpFilter_is_less_than) \
  X(SimpFilter_is_less_than_or_equall_to) \
  X(SimpFilter_begins_with) \
  X(SimpFilter_does_not_begin_with) \
  X(SimpFilter_ends_with) \
  X(SimpFilter_does_not_end_with) \
  X(SimpFilter_contains) \
  X(SimpFilter_does_not_contain) \
  X(SimpFilter_like) \
  X(SimpFilter_not_like) \
  X(SimpFilter_in_list) \
  X(SimpFilter_not_in_list) \
  X(SimpFilter_is_blank) \
  X(SimpFilter_is_not_blank) \
  X(GroupingPanelText) \
  X(NoDataEh) \
  X(QuoteIsAbsentEh) \
  X(LeftBracketExpectedEh) \
  X(RightBracketExpectedEh) \
  X(ErrorInExpressionEh) \
  X(UnexpectedExpressionBeforeNullEh) \
  X(UnexpectedExpressionAfterOperatorEh) \
  X(IncorrectExpressionEh) \
  X(UnexpectedANDorOREh) \
  X(GridSelectionInfo_Sum) \
  X(GridSelectionInfo_Cnt) \
  X(GridSelectionInfo_Evg) \
  X(GridSelectionInfo_Min) \
  X(GridSelectionInfo_Max) \
  X(CellCountEh) \
  X(FirstRecordEh) \
  X(PriorRecordEh) \
  X(NextRecordEh) \
  X(LastRecordEh) \
  X(InsertRecordEh) \
  X(DeleteRecordEh) \
  X(EditRecordEh) \
  X(PostEditEh) \
  X(CancelEditEh) \
  X(ConfirmCaptionEh) \
  X(RefreshRecordEh) \
  X(DeleteMultipleRecordsQuestionEh) \
  X(DeleteAllRecordsQuestionEh) \
  X(DuplicateVarNameEh) \
  X(SearchPanelEditorPromptText) \
  X(UnsupportedFieldTypeEh) \
  X(SearchPanelApplyFilterEh) \
  X(SearchPanelCancelFilterEh) \
  X(SearchPanelFindNextEh) \
  X(SearchPanelFindPrevEh) \
  X(SearchPanelOptionsEh) \
  X(SortingByThisColumnIsNotPossibleEh) \
  X(GroupingByThisColumnIsNotPossibleEh) \
  X(FindItemNameAllEh) \
  X(ElapsedTimeEh) \
  X(PivotDataBuildingInProgressEh) \
  X(PressESCToCancelEh) \
  X(GrandTotalEh) \
  X(TotalEh) \
  X(PivotValueFieldDisplayNameEh) \
  X(PivotRowsEh) \
  X(PivotColumnsEh) \
  X(PivotValuesEh) \
  X(PivotDataIsNotLoadedEh) \
  X(PivotSliceNonDisplayNameEh) \
  X(PivotSliceYearDisplayNameEh) \
  X(PivotSliceQuarterDisplayNameEh) \
  X(PivotSliceMonthDisplayNameEh) \
  X(PivotSliceWeekDisplayNameEh) \
  X(PivotSliceDayDisplayNameEh) \
  X(PivotSliceHourDisplayNameEh) \
  X(PivotSliceMinDisplayNameEh) \
  X(PivotSliceSecDisplayNameEh) \
  X(PivotSliceMSecDisplayNameEh) \
  X(PivotSumFunctionNon) \
  X(PivotSumFunctionSum) \
  X(PivotSumFunctionCount) \
  X(PivotSumFunctiontAvg) \
  X(PivotSumFunctionMax) \
  X(PivotSumFunctionMin) \
  X(PivotSumFunctionCountDistinct) \
  X(PivotSumFunctionProduct) \
  X(PivotSumFunctionStDev) \
  X(PivotSumFunctionStDevp) \
  X(PivotSumFunctionVar) \
  X(PivotSumFunctionVarp) \
  X(PivotSumFunctionCustom) \
  X(PlannerResourceUnassignedEh) \
  X(PlannerNextEventEh) \
  X(PlannerPriorEventEh) \
  X(PlannerDeletePlanItemEh) \
  X(PlannerPeriodFromEh) \
  X(PlannerPeriodToEh) \
  X(PlannerWeekTextEh) \
  X(PlannerEndTimeBeforeStartTimeEh) \
  X(OKButtonEh) \
  X(CancelButtonEh) \
  X(GridLoadingModeTextEh) \
  X(SearchScopeEh) \
  X(CurrentColumnEh) \
  X(TheEntireGridEh) \
  X(CaseSensitiveEh) \
  X(WholeWordsEh) \
  X(BeginsWithEh) \
  X(CloseInBracketsEh) \
  X(LabelColumnEh) \
  X(DataColumnEh) \
  X(TodayEh) \
  X(PreviewForm_Caption) \
  X(PreviewForm_Print_Hint) \
  X(PreviewForm_Print_Caption) \
  X(PreviewForm_PrinterSetupDialog_Hint) \
  X(PreviewForm_PrinterSetupDialog_Caption) \
  X(PreviewForm_Scale_Hint) \
  X(PreviewForm_Scale_Caption) \
  X(PreviewForm_PrevPage_Hint) \
  X(PreviewForm_PrevPage_Caption) \
  X(PreviewForm_NextPage_Hint) \
  X(PreviewForm_NextPage_Caption) \
  X(PreviewForm_Stop_Caption) \
  X(PreviewForm_Close_Hint) \
  X(PreviewForm_Close_Caption) \
  X(PreviewForm_MenuPageWidth) \
  X(PreviewForm_MenuFullPage) \
  X(PrnDBGridEhSetupDialog_Caption) \
  X(PrnDBGridEhSetupDialog_Margins) \
  X(PrnDBGridEhSetupDialog_Top) \
  X(PrnDBGridEhSetupDialog_Bottom) \
  X(PrnDBGridEhSetupDialog_Left) \
  X(PrnDBGridEhSetupDialog_Right) \
  X(PrnDBGridEhSetupDialog_StretchLongLines) \
  X(PrnDBGridEhSetupDialog_PrinterSetup) \
  X(PrnDBGridEhSetupDialog_Colored) \
  X(PrnDBGridEhSetupDialog_ScaleWholeGrid) \
  X(PrnDBGridEhSetupDialog_ChangeColumnWidths) \
  X(PrnDBGridEhSetupDialog_FitWidthToPage) \
  X(PrnDBGridEhSetupDialog_OptimalColWidths) \
  X(PlannerItemForm_Caption) \
  X(PlannerItemForm_Item_Title) \
  X(PlannerItemForm_Item_StartTime) \
  X(PlannerItemForm_Item_EndTime) \
  X(PlannerItemForm_AllDayCheck) \
  X(PlannerItemForm_Resource) \
  X(PictureEditorDialog_Caption) \
  X(PictureEditorDialog_Load) \
  X(PictureEditorDialog_Save) \
  X(PictureEditorDialog_Clear) \
  X(PictureEditorDialog_Cut) \
  X(PictureEditorDialog_Copy) \
  X(PictureEditorDialog_Paste) \
  X(PictureEditorDialog_ZoomIn) \
  X(PictureEditorDialog_ZoomOut) \
  X(PictureEditorDialog_Reset) \
  X(EditPivotField_Caption) \
  X(EditPivotField_AggrFunc) \
  X(EditPivotField_DisplayFormat) \
  X(DBGridEhSimpleFilterDialog_Caption) \
  X(DBGridEhSimpleFilterDialog_ShowRecordsWhere) \
  X(DBGridEhSimpleFilterDialog_OneCharWildcardInfo) \
  X(DBGridEhSimpleFilterDialog_SeveralCharsWildcardInfo) \
  X(DBGridEhSimpleFilterDialog_Or_Caption) \
  X(DBGridEhSimpleFilterDialog_And_Caption) \
  X(DBGridEhFindDlg_Caption) \
  X(DBGridEhFindDlg_FindWhat) \
  X(DBGridEhFindDlg_FindIn) \
  X(DBGridEhFindDlg_Match) \
  X(DBGridEhFindDlg_Search) \
  X(DBGridEhFindDlg_FindInTree) \
  X(DBGridEhFindDlg_FindNext) \
  X(DBGridEhFindDlg_Close) \
  X(DBGridEhFindDlg_FromAnyPart) \
  X(DBGridEhFindDlg_WholeField) \
  X(DBGridEhFindDlg_FromBeging) \
  X(DBGridEhFindDlg_Direction_Up) \
  X(DBGridEhFindDlg_Direction_Down) \
  X(DBGridEhFindDlg_Direction_All) \
  X(DBGridEhFindDlg_MatchCase) \
  X(DBGridEhFindDlg_MatchFormat) \
  X(DBGridEhFindDlg_TreeRange_InAllNodes) \
  X(DBGridEhFindDlg_TreeRange_InExpandedNodes) \
  X(DBGridEhFindDlg_TreeRange_InCurrentLevel) \
  X(DBGridEhFindDlg_TreeRange_InCurrentNode) \
  X(PrintPageSetupDialog_Caption) \
  X(PrintPageSetupDialog_Page) \
  X(PrintPageSetupDialog_Orientation) \
  X(PrintPageSetupDialog_Scaling) \
  X(PrintPageSetupDialog_Portrait) \
  X(PrintPageSetupDialog_Landscape) \
  X(PrintPageSetupDialog_PrNormalSize) \
  X(PrintPageSetupDialog_PageWideBy) \
  X(PrintPageSetupDialog_tall) \
  X(PrintPageSetupDialog_AdjustTo) \
  X(PrintPageSetupDialog_FitTo) \
  X(PrintPageSetupDialog_Margins) \
  X(PrintPageSetupDialog_Left) \
  X(PrintPageSetupDialog_Top) \
  X(PrintPageSetupDialog_Bottom) \
  X(PrintPageSetupDialog_Right) \
  X(PrintPageSetupDialog_Header) \
  X(PrintPageSetupDialog_Footer) \
  X(PrintPageSetupDialog_HeaderFooter) \
  X(PrintPageSetupDialog_ChangeFont) \
  X(PrintPageSetupDialog_FontAbr) \
  X(PrintPageSetupDialog_InsertPageNo_Hint) \
  X(PrintPageSetupDialog_InsertPageNo_Abr) \
  X(PrintPageSetupDialog_InsertPages_Hint) \
  X(PrintPageSetupDialog_InsertPages_Abr) \
  X(PrintPageSetupDialog_InsertDate_Hint) \
  X(PrintPageSetupDialog_InsertDate_Abr) \
  X(PrintPageSetupDialog_InsertShortDate_Hint) \
  X(PrintPageSetupDialog_InsertShortDate_Abr) \
  X(PrintPageSetupDialog_InsertLongDate_Hint) \
  X(PrintPageSetupDialog_InsertLongDate_Abr) \
  X(PrintPageSetupDialog_InsertTime_Hint) \
  X(PrintPageSetupDialog_InsertTime_Abr) \
  X(PrintPageSetupDialog_PageHeader) \
  X(PrintPageSetupDialog_PageFooter) \
  X(PrintPageSetupDialog_Center) \
  X(MemoEditWin_Caption)

class TGridLibLanguageConsts : public TComponent {
  VELMORA_CLASS(TGridLibLanguageConsts)
  using inherited = TComponent;
public:
  explicit TGridLibLanguageConsts(TComponent* AOwner);

#define GRIDLIB_TEXT_ACCESSORS(Name) \
  const String& Name() const { return F##Name; } \
  void Set##Name(const String& Value) { F##Name = Value; }
  GRIDLIB_LANGUAGE_TEXTS(GRIDLIB_TEXT_ACCESSORS)
#undef GRIDLIB_TEXT_ACCESSORS

private:
#define GRIDLIB_TEXT_FIELD(Name) String F##Name;
  GRIDLIB_LANGUAGE_TEXTS(GRIDLIB_TEXT_FIELD)
#undef GRIDLIB_TEXT_FIELD
};

// The single text object; the first call creates it from its stored
// description and registers it with the language manager.
TGridLibLanguageConsts* GridLibLanguageConsts();
// Unregisters and frees the text object (the end of the program does it too).
void FreeGridLibLanguageConsts();
// Registers the class and its properties with the class registry.
void RegisterGridLibLangConstsClasses();
