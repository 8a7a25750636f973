#include "app/MenuTable.h"

#include "app/frmMain.h"

namespace {
constexpr QKeyCombination none{};
constexpr QKeyCombination ctrl(Qt::Key k) { return QKeyCombination(Qt::ControlModifier, k); }
}

const MenuEntry MenuTable[] = {
    {0, "mnuFile", u"ファイル(&F)", none, nullptr},
    {1, "mnuNew", u"新規作成(&N)", ctrl(Qt::Key_N), &frmMain::mnuNew_Click},
    {1, "mnuOpen", u"開く(&O)", ctrl(Qt::Key_O), &frmMain::mnuOpen_Click},
    {1, "mnuH1", u"-", none, nullptr},
    {1, "mnuSave", u"上書き保存(&S)", ctrl(Qt::Key_S), &frmMain::mnuSave_Click},
    {1, "mnuSaveAll", u"名前を付けて保存(&A)", none, &frmMain::mnuSaveAll_Click},
    {1, "mnuH2", u"-", none, nullptr},
    {1, "mnuExit", u"終了(&X)", none, &frmMain::mnuExit_Click},
    {0, "mnuEdit", u"編集(&E)", none, nullptr},
    {1, "mnuCut", u"切り取り(&T)", ctrl(Qt::Key_X), &frmMain::mnuCut_Click},
    {1, "mnuCopy", u"コピー(&C)", ctrl(Qt::Key_C), &frmMain::mnuCopy_Click},
    {1, "mnuParst", u"貼り付け(&P)", ctrl(Qt::Key_V), &frmMain::mnuParst_Click},
    {1, "mnuDelete", u"削除(&D)", QKeyCombination(Qt::Key_Delete), &frmMain::mnuDelete_Click},
    {1, "mnuH4", u"-", none, nullptr},
    {1, "mnuSelectAll", u"全て選択", ctrl(Qt::Key_A), &frmMain::mnuSelectAll_Click},
    {1, "mnuH11", u"-", none, nullptr},
    {1, "mnuUndo", u"元に戻す(&U)", ctrl(Qt::Key_Z), &frmMain::mnuUndo_Click},
    {1, "mnuRedo", u"やり直し(&R)", ctrl(Qt::Key_Y), &frmMain::mnuRedo_Click},
    {1, "mnuH12", u"-", none, nullptr},
    {1, "mnuFind", u"検索(&F)...", ctrl(Qt::Key_F), &frmMain::mnuFind_Click},
    {1, "mnuFindNext", u"次を検索(&N)", QKeyCombination(Qt::Key_F3), &frmMain::mnuFindNext_Click},
    {1, "mnuFindPrevious", u"前を検索(&V)", QKeyCombination(Qt::ShiftModifier, Qt::Key_F3), &frmMain::mnuFindPrevious_Click},
    {1, "mnuReplace", u"置換(&E)...", ctrl(Qt::Key_R), &frmMain::mnuReplace_Click},
    {1, "mnuH13", u"-", none, nullptr},
    {1, "mnuSyntaxColor", u"タグを色分け(&L)", none, &frmMain::mnuSyntaxColor_Click},
    {0, "mnuOption", u"オプション(&O)", none, nullptr},
    {1, "mnuWeb", u"Web確認(&W)", QKeyCombination(Qt::Key_F5), &frmMain::mnuWeb_Click},
    {1, "mnuH6", u"-", none, nullptr},
    {1, "mnuColor", u"カラー[１６進数]", ctrl(Qt::Key_W), &frmMain::mnuColor_Click},
    {1, "mnuH10", u"-", none, nullptr},
    {1, "mnuFont", u"フォントの指定(&F)", none, &frmMain::mnuFont_Click},
    {1, "mnuDisplay", u"画面比率(&D)", none, nullptr},
    {2, "mnuDText", u"テキスト優先(&T)", ctrl(Qt::Key_H), &frmMain::mnuDText_Click},
    {2, "mnuNormal", u"標準(&N)", ctrl(Qt::Key_J), &frmMain::mnuNormal_Click},
    {2, "mnuBrouser", u"ブラウザ優先(&B)", ctrl(Qt::Key_K), &frmMain::mnuBrouser_Click},
    {0, "mnuHelp", u"ヘルプ(&H)", none, nullptr},
    {1, "mnuTopic", u"タグヘルプ(&T)", ctrl(Qt::Key_T), &frmMain::mnuTopic_Click},
    {1, "mnuH5", u"-", none, nullptr},
    {1, "mnuVersion", u"バージョン情報(&A)", none, &frmMain::mnuVersion_Click},
};
const int MenuTableSize = int(std::size(MenuTable));
