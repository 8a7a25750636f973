#include "edit/ToolbarTable.h"

#include "app/frmMain.h"

const ToolbarEntry ToolbarTable[ToolbarButtonCount] = {
    {1, u"新規作成", u"[ファイル]-[新規作成]", &frmMain::mnuNew_Click},
    {2, u"開く", u"[ファイル]-[開く...]", &frmMain::mnuOpen_Click},
    {3, u"上書き保存", u"[ファイル]-[上書き保存]", &frmMain::mnuSave_Click},
    {0, nullptr, nullptr, nullptr},
    {4, u"切り取り", u"[編集]-[切り取り]", &frmMain::mnuCut_Click},
    {5, u"コピー", u"[編集]-[コピー]", &frmMain::mnuCopy_Click},
    {6, u"貼り付け", u"[編集]-[貼り付け]", &frmMain::mnuParst_Click},
    {0, nullptr, nullptr, nullptr},
    {7, u"Web確認", u"[オプション]-[Web確認]", &frmMain::mnuWeb_Click},
    {0, nullptr, nullptr, nullptr},
    {8, u"テキスト優先", u"[オプション]-[画面比率]-[テキスト優先]", &frmMain::mnuDText_Click},
    {9, u"標準", u"[オプション]-[画面比率]-[標準]", &frmMain::mnuNormal_Click},
    {10, u"ブラウザ優先", u"[オプション]-[画面比率]-[ブラウザ優先]", &frmMain::mnuBrouser_Click},
    {0, nullptr, nullptr, nullptr},
    {11, u"カラー", u"[オプション]-[カラー[１６進数]", &frmMain::mnuColor_Click},
    {0, nullptr, nullptr, nullptr},
    {12, u"タグヘルプ", u"[ヘルプ]-[タグヘルプ]", &frmMain::mnuTopic_Click},
};

void DispatchToolbarButton(frmMain &form, int Index)
{
    if (Index - 1 < 0 || Index - 1 > ToolbarButtonCount - 1)
        return;
    if (const auto handler = ToolbarTable[Index - 1].handler)
        (form.*handler)();
}
