// The profile and path editor window: the edit control with rulers, zoom, grid and background
// settings, the edge groups of a profile, and the exchange of an object's outline in stored
// coordinates (origin at the centre; y up for a profile, down for a path).
#include "editor/UnPolEditor.h"

#include "app/Internationalization.h"
#include "app/UnMessages.h"
#include "editor/GraphicListBox.h"
#include "editor/LineLibrary.h"
#include "editor/RsRuler.h"
#include "editor/UnGroupEdit.h"
#include "editor/UnIcons.h"
#include "editor/UnMultiLineEdit.h"
#include "editor/UnOutlineCommands.h"
#include "editor/UnPointsText.h"
#include "editor/UnStatusPanels.h"
#include "ui_UnPolEditor.h"

#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

namespace {

// The drawing surface is the largest multiple of the first grid step within this many pixels:
// stored coordinates of +-2400 fit on it, so an imported drawing (2000 storage steps across) can
// be reached with the mouse wherever it lies about the origin.
constexpr int32_t DrawingSide = 4800;
constexpr int32_t FirstGrid = 15;
constexpr int32_t AxisLength = 30;
// A new outline runs this far from the centre to the right.
constexpr int32_t InitialLength = 100;

// Widgets that need the arrow keys themselves (fields, lists, menus walked with the keyboard);
// elsewhere in the window the arrows nudge.
bool keepsArrowKeys(const QObject* widget) {
    return qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QMenuBar*>(widget) || qobject_cast<const QMenu*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget);
}

} // namespace

TPolEdit::TPolEdit(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TPolEdit>()) {
    ui->setupUi(this);
    setWindowIcon(svgIcon(QStringLiteral("appicon")));
    createToolbarAndMenus();
    createEditCommands();
    createViewMenu();
    connectCommands();
    new TOutlineCommands(this); // File > Import outline... and Export outline...
    translateForm(this);
    FormCreate();
}

TPolEdit::~TPolEdit() = default;

void TPolEdit::createToolbarAndMenus() {
    // "delete" cannot name a generated member, so this one button is made here.
    deleteAction = new QAction(QStringLiteral("Delete point"), this);
    deleteAction->setObjectName(QStringLiteral("delete"));
    deleteAction->setToolTip(QStringLiteral("Delete point"));
    ui->pnlToolbar->insertAction(ui->closeshape, deleteAction);
    // A form cannot put widgets on a tool bar: the zoom box joins it here.
    ui->pnlToolbar->addWidget(ui->zoomPanel);

    struct Picture {
        QAction* action;
        const char* name;
    };
    const Picture pictures[] = {
        {ui->undo, "undo"},
        {deleteAction, "deletepoint"},
        {ui->closeshape, "closeshape"},
        {ui->drawcircle, "circle"},
        {ui->invOrder, "invertorder"},
        {ui->flipHoriz, "fliphoriz"},
        {ui->flipVert, "flipvert"},
        {ui->properties, "properties"},
        {ui->background, "background"},
        {ui->salva, "save"},
        {ui->annulla, "cancel"},
        {ui->mnSave, "save"},
        {ui->mnCancel, "cancel"},
        {ui->mnProperties, "properties"},
        {ui->mnCircle, "circle"},
        {ui->mnDelete, "deletepoint"},
        {ui->mnUndo, "undo"},
        {ui->mnInvertord, "invertorder"},
        {ui->mnFliphoriz, "fliphoriz"},
        {ui->mnFlipvert, "flipvert"},
    };
    for (const Picture& p : pictures)
        p.action->setIcon(svgIcon(QString::fromLatin1(p.name)));
    ui->mnUndo->setShortcut(QKeySequence::Undo);
    ui->mnDelete->setShortcut(QKeySequence::Delete);
    ui->mnSave->setShortcut(QKeySequence::Save);

    addStatusPanels(ui->StatusBar1, panels);

    ui->ScrollBox1->horizontalScrollBar()->setSingleStep(10);
    ui->ScrollBox1->verticalScrollBar()->setSingleStep(10);
    for (TRsRuler* ruler : {ui->RsRuler1, ui->rsruler2}) {
        ruler->SetUnits(ruCustom);
        ruler->SetScale(100);
        ruler->SetHairLine(true);
    }
    ui->rsruler2->SetDirection(rdLeft);
    ui->RsRulerCorner1->SetUnits(ruMilli);
    ui->RsRulerCorner1->setFixedSize(RulerThickness, RulerThickness);
    ui->listgroups1->setIconSize(QSize(32, 32));
}

void TPolEdit::connectCommands() {
    struct Command {
        QAction* action;
        void (TPolEdit::*slot)();
    };
    const Command commands[] = {
        {ui->undo, &TPolEdit::undoClick},
        {ui->mnUndo, &TPolEdit::undoClick},
        {deleteAction, &TPolEdit::deleteClick},
        {ui->mnDelete, &TPolEdit::deleteClick},
        {ui->closeshape, &TPolEdit::closeshapeClick},
        {ui->drawcircle, &TPolEdit::drawcircleClick},
        {ui->mnCircle, &TPolEdit::drawcircleClick},
        {ui->invOrder, &TPolEdit::invOrderClick},
        {ui->mnInvertord, &TPolEdit::invOrderClick},
        {ui->flipHoriz, &TPolEdit::flipHorizClick},
        {ui->mnFliphoriz, &TPolEdit::flipHorizClick},
        {ui->flipVert, &TPolEdit::flipVertClick},
        {ui->mnFlipvert, &TPolEdit::flipVertClick},
        {ui->properties, &TPolEdit::propertiesClick},
        {ui->mnProperties, &TPolEdit::propertiesClick},
        {ui->background, &TPolEdit::backgroundClick},
        {ui->salva, &TPolEdit::salvaClick},
        {ui->mnSave, &TPolEdit::salvaClick},
        {ui->annulla, &TPolEdit::annullaClick},
        {ui->mnCancel, &TPolEdit::annullaClick},
    };
    for (const Command& c : commands)
        connect(c.action, &QAction::triggered, this, c.slot);

    connect(ui->lZoom, &QComboBox::currentIndexChanged, this, &TPolEdit::lZoomChange);
    TMultiLineEdit* edit = ui->MultiLineEdit1;
    connect(edit, &TMultiLineEdit::OnDblClick, this, &TPolEdit::MultiLineEdit1DblClick);
    connect(edit, &TMultiLineEdit::OnMouseMove, this, &TPolEdit::MultiLineEdit1MouseMove);
    connect(edit, &TMultiLineEdit::OnPaint, this, &TPolEdit::MultiLineEdit1Paint);
    edit->installEventFilter(this);

    connect(ui->newgroup, &QPushButton::clicked, this, &TPolEdit::newgroupClick);
    connect(ui->editgroup, &QPushButton::clicked, this, &TPolEdit::editgroupClick);
    connect(ui->delgroup, &QPushButton::clicked, this, &TPolEdit::delgroupClick);
    connect(ui->listgroups1, &QListWidget::itemClicked, this, &TPolEdit::listgroups1Click);
    connect(ui->propOk, &QPushButton::clicked, this, &TPolEdit::propOkClick);
    connect(ui->propCancel, &QPushButton::clicked, this, &TPolEdit::propCancelClick);
    connect(ui->imageOk, &QPushButton::clicked, this, &TPolEdit::imageOkClick);
    connect(ui->imageApply, &QPushButton::clicked, this, &TPolEdit::imageApplyClick);
    connect(ui->imageHoriz, &QSlider::valueChanged, ui->lbImageHoriz,
            qOverload<int>(&QLabel::setNum));
    connect(ui->imageVert, &QSlider::valueChanged, ui->lbImageVert,
            qOverload<int>(&QLabel::setNum));
    connect(ui->imageBrightness, &QSlider::valueChanged, ui->lbImageBrightness,
            qOverload<int>(&QLabel::setNum));
}

void TPolEdit::FormCreate() {
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    e.snapToGrid = false;
    e.SetGridDx(FirstGrid);
    e.SetGridDy(FirstGrid);
    const Point2 size = {DrawingSide / e.GridDx() * e.GridDx(),
                         DrawingSide / e.GridDy() * e.GridDy()};
    e.setGeometry(0, 0, size.X, size.Y);
    e.SetBackgroundBrightness(ui->imageBrightness->value());

    Origin = {RoundHalfEven(size.X / 2.0L), RoundHalfEven(size.Y / 2.0L)};
    TFCMultiLine& t = e.TemplateLine;
    t.Color = clBlue;
    t.StartPoint.Pos = Origin;
    t.EndPoint.Pos = {Origin.X + InitialLength, Origin.Y};
    t.EndsMovable = true;
    t.Editable = true;
    t.State = fcNone;
    t.ArrowSize = 15;
    e.NewLine();

    ui->lbImageHoriz->setNum(ui->imageHoriz->value());
    ui->lbImageVert->setNum(ui->imageVert->value());
    ui->lbImageBrightness->setNum(ui->imageBrightness->value());
    ui->drawProperties->hide();
    zoomTo100();
    Reset();
    // Timer1: one repaint once the window has settled.
    QTimer::singleShot(200, &e, [&e] { e.update(); });
}

TMultiLineEdit* TPolEdit::MultiLineEdit1() const {
    return ui->MultiLineEdit1;
}

TGraphicListBox* TPolEdit::listgroups1() const {
    return ui->listgroups1;
}

QLabel* TPolEdit::statusPanel(int index) const {
    return (index >= 0 && index < 3) ? panels[index] : nullptr;
}

Point2 TPolEdit::ToModel(const OutlineVertex& stored) const {
    return {stored.X + Origin.X, stored.Y * YSign + Origin.Y};
}

Point2 TPolEdit::ToStored(Point2 model) const {
    return {model.X - Origin.X, (model.Y - Origin.Y) * YSign};
}

Point2 TPolEdit::originPixel() const {
    return LineLibrary::ScalePoint(Origin, ui->MultiLineEdit1->Zoom);
}

// ---- the object's side of an edit ---------------------------------------------------------------

void TPolEdit::SetCaption(const std::string& caption) {
    setWindowTitle(translatedText(QString::fromLatin1(caption.data(), qsizetype(caption.size()))));
}

void TPolEdit::Reset() {
    FSaved = false;
    FCancelled = false;
    Leaving = false;
    ui->groupbox->setVisible(!PathMode);
    ui->ckClosed->setVisible(PathMode);
    // A helix is a path; a profile has no use for it.
    if (auto* helix = findChild<QAction*>(QStringLiteral("mnHelix"))) helix->setVisible(PathMode);
    YSign = PathMode ? 1 : -1;
    showBackgroundTab();
    GroupCount = 0;
    Groups = std::make_shared<TGroupPropertyList>();
    ui->listgroups1->clear();
    panels[1]->clear();
}

void TPolEdit::SetData(const OutlineVertex* outline, int32_t count, TGroupListRef groups,
                       bool closed) {
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    const int32_t n = std::clamp(count, 0, MaxOutlineVertices);
    e.Clear();
    zoomTo100();
    ui->listgroups1->clear();
    GroupCount = 0;
    Vertices.fill(OutlineVertex{});
    std::array<OutlineVertex, MaxOutlineVertices> buffer{};
    int32_t m = 0;
    for (int32_t i = 0; i < n && outline[i].Groups[0] != -1; ++i, ++m) {
        Vertices[m] = buffer[m] = outline[i];
        const Point2 p = ToModel(outline[i]);
        buffer[m].X = p.X;
        buffer[m].Y = p.Y;
        if (!PathMode)
            for (int32_t id : outline[i].Groups)
                GroupCount = std::max(GroupCount, id);
    }
    if (m == 0) {
        // No outline yet: the first segment of a new window, whatever an earlier edit left.
        buffer[0] = buffer[1] = OutlineVertex{};
        buffer[0].X = Origin.X, buffer[0].Y = Origin.Y;
        buffer[1].X = Origin.X + InitialLength, buffer[1].Y = Origin.Y;
        m = 2;
    }
    e.SetVertices(buffer.data(), m);
    KeepOpen = false;
    ui->ckClosed->setChecked(closed);
    GivenClosed = closed;
    closeEndingPath();
    if (!PathMode && groups) {
        Groups = std::make_shared<TGroupPropertyList>();
        for (int i = 0; i < groups->Count(); ++i) {
            Groups->Add(groups->Item(i));
            addGroupLine(groups->Items(i).Id, groups->Items(i).Color);
            // New ids start above every id in use, whichever groups were deleted before.
            GroupCount = std::max(GroupCount, groups->Items(i).Id);
        }
    }
    showVertexCount();
    noteLoadedState();
}

void TPolEdit::GetData(OutlineVertex* outline, int32_t& count, TGroupListRef& groups) {
    std::copy(Vertices.begin(), Vertices.end(), outline);
    const auto end = std::find_if(Vertices.begin(), Vertices.end(),
                                  [](const OutlineVertex& v) { return v.Groups[0] == -1; });
    count = static_cast<int32_t>(end - Vertices.begin());
    if (PathMode) return;
    groups = std::make_shared<TGroupPropertyList>();
    for (int i = 0; i < Groups->Count(); ++i)
        groups->Add(Groups->Item(i));
}

void TPolEdit::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    // Without a window manager "maximised" means nothing: take the screen's free area as well.
    if (const QScreen* where = screen()) setGeometry(where->availableGeometry());
    showMaximized();
    FormActivate();
    QTimer::singleShot(0, this, [this] {
        QScrollArea* box = ui->ScrollBox1;
        const Point2 o = originPixel();
        box->horizontalScrollBar()->setValue(o.X - box->viewport()->width() / 2);
        box->verticalScrollBar()->setValue(o.Y - box->viewport()->height() / 2);
        // An outline larger than the window, or away from the middle, is shown whole.
        if (!outlineInView()) fitOutlineClick();
    });
    QEventLoop loop;
    modalLoop = &loop;
    qApp->installEventFilter(this);
    loop.exec(QEventLoop::DialogExec);
    qApp->removeEventFilter(this);
    modalLoop = nullptr;
}

// ---- zoom, rulers, cursor -----------------------------------------------------------------------

void TPolEdit::FormActivate() {
    // Coming back from another window of the program (the group editor, a message, the picture
    // dialog) shows the drawing at 100 % again. The commands that open such windows call this
    // when they return, since window managers deliver activation events late or not at all. The
    // keyboard comes back with it, so that the window's keys work at once.
    zoomTo100();
    if (isVisible()) activateWindow();
}

void TPolEdit::zoomTo100() {
    {
        const QSignalBlocker quiet(ui->lZoom);
        ui->lZoom->setCurrentIndex(ui->lZoom->findText(QStringLiteral("100")));
    }
    applyZoom(100);
}

void TPolEdit::lZoomChange(int index) {
    applyZoom(ui->lZoom->itemText(index).toInt());
}

void TPolEdit::applyZoom(int percent, QPoint anchor) {
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    QScrollArea* box = ui->ScrollBox1;
    const QWidget* view = box->viewport();
    // The model point at the anchor (the middle of the view) stays there.
    const double ax = anchor.x() < 0 ? view->width() / 2.0 : anchor.x();
    const double ay = anchor.y() < 0 ? view->height() / 2.0 : anchor.y();
    const double cx = (ax - e.x()) / e.Zoom;
    const double cy = (ay - e.y()) / e.Zoom;
    e.setEnabled(false);
    e.SetZoomPercent(percent);
    e.setEnabled(true);
    box->horizontalScrollBar()->setValue(RoundHalfEven(cx * e.Zoom - ax));
    box->verticalScrollBar()->setValue(RoundHalfEven(cy * e.Zoom - ay));
    placeRulers();
}

void TPolEdit::placeRulers() {
    const TMultiLineEdit* e = ui->MultiLineEdit1;
    const QPoint at = e->mapTo(ui->MainPanel, QPoint(0, 0));
    const QPoint top = ui->topRulerStrip->mapTo(ui->MainPanel, QPoint(0, 0));
    const QPoint left = ui->leftRulerStrip->mapTo(ui->MainPanel, QPoint(0, 0));
    ui->RsRuler1->setGeometry(at.x() - top.x(), 0, e->width(), RulerThickness);
    ui->rsruler2->setGeometry(0, at.y() - left.y(), RulerThickness, e->height());
    // Millimetres of the solid from the origin; y up on a profile, z down on a path.
    const double pixelsPerMm = e->Zoom / toMm(1);
    const Point2 o = originPixel();
    ui->RsRuler1->SetDrawingUnits(pixelsPerMm, o.X, 1);
    ui->rsruler2->SetDrawingUnits(pixelsPerMm, o.Y, PathMode ? 1 : -1);
    // The labels at the ends of the strips follow the scrolling.
    ui->RsRuler1->update();
    ui->rsruler2->update();
}

void TPolEdit::MultiLineEdit1MouseMove(int x, int y) {
    ui->RsRuler1->SetHairLinePos(x);
    ui->rsruler2->SetHairLinePos(y);
    // Millimetres of the solid from the centre.
    const TMultiLineEdit& e = *ui->MultiLineEdit1;
    // As many decimals as one pixel of the current zoom is worth.
    const int decimals = DecimalsForStep(toMm(1) / e.Zoom);
    const QString mx = QString::fromStdString(FormatMm(toMm(x / e.Zoom - Origin.X), decimals));
    const QString my =
        QString::fromStdString(FormatMm(toMm((y / e.Zoom - Origin.Y) * YSign), decimals));
    panels[2]->setText(PathMode ? QStringLiteral("X: %1     Z: %2").arg(mx, my)
                                : QStringLiteral("X: %1     Y: %2").arg(mx, my));
}

void TPolEdit::MultiLineEdit1Paint(QPainter* painter) {
    const Point2 centre = originPixel();
    const QPoint o(centre.X, centre.Y);
    painter->save();
    painter->setBrush(Qt::NoBrush);
    auto axis = [&](TColor color, QPoint tip, const QString& name, QPoint text) {
        painter->setPen(QPen(colorOf(color), 2));
        painter->drawLine(o, o + tip);
        painter->drawText(QRect(o + text, QSize(24, 20)), Qt::AlignLeft | Qt::AlignTop, name);
    };
    axis(clBlue, {AxisLength, 0}, QStringLiteral("X"), {AxisLength + 2, 0});
    if (PathMode)
        axis(clRed, {0, AxisLength}, QStringLiteral("Z"), {0, AxisLength + 2});
    else
        axis(clGreen, {0, -AxisLength}, QStringLiteral("Y"), {2, -AxisLength - 2});
    painter->restore();
    paintOverlay(painter);
    paintHeights(painter);
    showVertexCount();
}

void TPolEdit::showVertexCount() {
    const QString text =
        translatedText(msg::VertexCount).arg(ui->MultiLineEdit1->Line.VertexCount());
    if (panels[0]->text() != text) panels[0]->setText(text);
}

// ---- editing commands ---------------------------------------------------------------------------

void TPolEdit::edit(const std::function<void(TMultiLineEdit&)>& command) {
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    e.BeginChange();
    command(e);
    e.EndChange();
    panels[1]->clear();
}

void TPolEdit::undoClick() {
    if (ui->MultiLineEdit1->Undo()) takeUndoneState();
}

void TPolEdit::deleteClick() {
    edit([](TMultiLineEdit& e) { e.DeleteSelected(); });
}

void TPolEdit::closeshapeClick() {
    edit([](TMultiLineEdit& e) { e.CloseOutline(); });
}

void TPolEdit::drawcircleClick() {
    // The ellipse's points as exactly as the outline's scale can be refined to hold them.
    std::vector<TPointRow> rows;
    const std::vector<float> heights = ui->MultiLineEdit1->Heights();
    for (const auto& p : ui->MultiLineEdit1->Line.EllipsePoints())
        rows.push_back({toMm(double(p[0] - Origin.X)), toMm(double((p[1] - Origin.Y) * YSign)),
                        toMm(heights[std::min(rows.size(), heights.size() - 1)]), true});
    placeRows(rows, storedOutline(), true);
}

void TPolEdit::invOrderClick() {
    edit([](TMultiLineEdit& e) { e.Reverse(); });
}

void TPolEdit::flipHorizClick() {
    edit([](TMultiLineEdit& e) { e.FlipHorizontal(RoundHalfEven(e.width() / (2.0L * e.Zoom))); });
}

void TPolEdit::flipVertClick() {
    edit([](TMultiLineEdit& e) { e.FlipVertical(RoundHalfEven(e.height() / (2.0L * e.Zoom))); });
}

void TPolEdit::MultiLineEdit1DblClick(int x, int y) {
    if (ui->MultiLineEdit1->Line.VertexCount() >= MaxOutlineVertices) {
        panels[1]->setText(translatedText(msg::VertexLimit).arg(MaxOutlineVertices));
        return;
    }
    TMultiLineEdit::TDblClick result{};
    edit([&](TMultiLineEdit& e) { result = e.DoubleClick(e.ToModel({x, y})); });
    if (result == TMultiLineEdit::TDblClick::OffClosedOutline)
        panels[1]->setText(translatedText(msg::ClosedShapeHint));
    else if (result == TMultiLineEdit::TDblClick::OnVertex)
        panels[1]->setText(translatedText(msg::PointThereHint));
}

// ---- groups -------------------------------------------------------------------------------------

int TPolEdit::chosenGroupRow() const {
    const QListWidgetItem* item = ui->listgroups1->currentItem();
    return item && item->isSelected() ? ui->listgroups1->row(item) : -1;
}

int TPolEdit::groupPosition(int32_t id) const {
    for (int i = 0; i < Groups->Count(); ++i)
        if (Groups->Items(i).Id == id) return i;
    return -1;
}

void TPolEdit::addGroupLine(int32_t id, TColor color) {
    ui->listgroups1->AddItem(QString::number(id), colorPicture(color));
}

void TPolEdit::newgroupClick() {
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    const int32_t id = GroupCount + 1;
    if (!e.SelectionIsRun()) {
        showMessage(QMessageBox::Critical, translatedText(msg::NotARun));
        FormActivate();
        return;
    }
    e.AddGroupToSelected(id);
    addGroupLine(id, clWhite);
    GroupCount = id;
    auto group = std::make_shared<TGroupPropertyObj>();
    group->Id = id;
    group->Color = clWhite;
    Groups->Add(std::move(group));
}

void TPolEdit::listgroups1Click() {
    const int row = chosenGroupRow();
    if (row < 0) return;
    ui->MultiLineEdit1->SelectGroup(ui->listgroups1->item(row)->text().toInt());
}

void TPolEdit::editgroupClick() {
    const int row = chosenGroupRow();
    if (row < 0) return;
    const int position = groupPosition(ui->listgroups1->item(row)->text().toInt());
    if (position < 0) return;
    TGroupPropertyObj& group = Groups->Items(position);
    {
        const std::unique_ptr<TgroupEdit> editor = createGroupEditor();
        editor->GroupColor = group.Color;
        editor->TextureName = group.Texture;
        editor->TextureScaleX = group.RepeatU;
        editor->TextureScaleY = group.RepeatV;
        editor->InvertX = group.FlipU;
        editor->InvertY = group.FlipV;
        editor->SetTextures(Textures);
        editor->exec();
        FormActivate();
        // A cancelled editor hands back the values it was given.
        group.Color = editor->GroupColor;
        group.Texture = editor->TextureName;
        group.RepeatU = editor->TextureScaleX;
        group.RepeatV = editor->TextureScaleY;
        group.FlipU = editor->InvertX;
        group.FlipV = editor->InvertY;
    }
    ui->listgroups1->SetItemPicture(row, colorPicture(group.Color));
}

void TPolEdit::delgroupClick() {
    const int row = chosenGroupRow();
    if (row < 0) return;
    const int32_t id = ui->listgroups1->item(row)->text().toInt();
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    e.SelectGroup(id);
    e.RemoveGroupFromSelected(id);
    delete ui->listgroups1->takeItem(row);
    if (id == GroupCount) --GroupCount;
    // The object's own list keeps its entry until the edit is saved.
    const int position = groupPosition(id);
    if (position >= 0) Groups->Delete(position);
}

// ---- property sheet and background --------------------------------------------------------------

void TPolEdit::propertiesClick() {
    const TMultiLineEdit& e = *ui->MultiLineEdit1;
    ui->ckPropSnapToGrid->setChecked(e.snapToGrid);
    ui->seGridX->setValue(e.GridDx());
    ui->seGridY->setValue(e.GridDy());
    ui->drawProperties->show();
}

void TPolEdit::propOkClick() {
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    e.snapToGrid = ui->ckPropSnapToGrid->isChecked();
    e.SetGridDx(ui->seGridX->value());
    e.SetGridDy(ui->seGridY->value());
    ui->drawProperties->hide();
    placeRulers();
    e.update();
}

void TPolEdit::propCancelClick() {
    ui->drawProperties->hide();
}

bool TPolEdit::BackgroundLoaded() const {
    return !ui->MultiLineEdit1->BackgroundPicture().Empty();
}

void TPolEdit::showBackgroundTab() {
    ui->drawProperties->setTabVisible(ui->drawProperties->indexOf(ui->TabSheet2),
                                      BackgroundLoaded());
}

QString TPolEdit::chooseBackgroundFile() {
    return QFileDialog::getOpenFileName(
        this, ui->background->text(), QString(),
        QStringLiteral("%1 (*.bmp *.BMP *.jpg *.JPG *.jpeg *.png *.PNG);;%2 (*)")
            .arg(translatedText(msg::ImageFiles), translatedText(msg::AllFiles)));
}

void TPolEdit::backgroundClick() {
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    if (BackgroundLoaded()) {
        e.ClearBackground();
    } else {
        const QString file = chooseBackgroundFile();
        const bool loaded = !file.isEmpty() && e.LoadBackground(file);
        if (!file.isEmpty() && !loaded)
            showMessage(QMessageBox::Critical,
                        translatedText(msg::PictureUnreadable).arg(QDir::toNativeSeparators(file)) +
                            QLatin1Char(' ') + translatedText(msg::BackgroundKept));
        FormActivate();
        if (!loaded) return;
    }
    showBackgroundTab();
}

void TPolEdit::imageApplyClick() {
    TMultiLineEdit& e = *ui->MultiLineEdit1;
    e.BackgroundScale = ui->imageScale->value() / 100.0f;
    e.BackgroundOffset = {ui->imageHoriz->value(), ui->imageVert->value()};
    e.SetBackgroundBrightness(ui->imageBrightness->value());
    e.update();
}

void TPolEdit::imageOkClick() {
    ui->drawProperties->hide();
    ui->MultiLineEdit1->update();
}

// ---- save, cancel, window events ----------------------------------------------------------------

void TPolEdit::salvaClick() {
    if (const QString warning = SaveWarning(); !warning.isEmpty() && !askSaveAnyway(warning))
        return;
    zoomTo100();
    // A closed path ends on its start.
    if (PathMode && ui->ckClosed->isChecked() && !ui->MultiLineEdit1->IsClosed())
        edit([](TMultiLineEdit& e) { e.CloseOutline(); });
    const std::vector<OutlineVertex> stored = storedOutline();
    SavedHeights = ui->MultiLineEdit1->Heights();
    std::copy(stored.begin(), stored.end(), Vertices.begin());
    const size_t n = stored.size();
    if (n < Vertices.size()) {
        Vertices[n] = OutlineVertex{};
        Vertices[n].Groups[0] = -1;
    }
    FClosed = ui->ckClosed->isChecked();
    FSaved = true;
    Leaving = true;
    close();
}

void TPolEdit::annullaClick() {
    if (HasChanges() &&
        !askDiscard(translatedText(PathMode ? msg::DiscardPath : msg::DiscardProfile)))
        return;
    Leaving = true;
    zoomTo100();
    FCancelled = true;
    close();
}

void TPolEdit::showMessage(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, windowTitle(), text, QMessageBox::Ok, this);
    box.exec();
}

std::unique_ptr<TgroupEdit> TPolEdit::createGroupEditor() {
    return std::make_unique<TgroupEdit>(this);
}

void TPolEdit::closeEvent(QCloseEvent* event) {
    if (!Leaving && HasChanges() &&
        !askDiscard(translatedText(PathMode ? msg::DiscardPath : msg::DiscardProfile))) {
        event->ignore();
        return;
    }
    Leaving = true;
    FCancelled = true;
    event->accept();
    if (modalLoop) modalLoop->quit();
}

void TPolEdit::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // Points, notes (the widest: they say what to do), cursor.
    sizeStatusPanels(ui->StatusBar1, panels, 0.15, 0.55);
}

bool TPolEdit::eventFilter(QObject* watched, QEvent* event) {
    if (navigationEvent(watched, event)) return true;
    const QEvent::Type type = event->type();
    if (watched == ui->MultiLineEdit1 && (type == QEvent::Move || type == QEvent::Resize)) {
        placeRulers();
    } else if (type == QEvent::KeyPress && watched->isWidgetType()) {
        // Key preview: the arrows nudge the last dragged part wherever the focus is.
        const auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this && !keepsArrowKeys(widget) &&
            ui->MultiLineEdit1->HandleArrowKey(static_cast<QKeyEvent*>(event)->key()))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
