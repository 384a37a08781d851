#include "player/window/RVClipDialog.h"

#include "clip/RVClipExporter.h"
#include "core/RVSettings.h"
#include "player/window/RVSaveFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <utility>

namespace {

// A localised format with one "%1" for a detail; without one the detail is appended.
QString withDetail(const QString& format, const QString& detail)
{
    return format.contains(QLatin1String("%1")) ? format.arg(detail)
                                                : format + QLatin1Char(' ') + detail;
}

struct ReadoutText
{
    RVReadout readout;
    const char* key; // in the settings and the widget's name
    const char* textId;
};

// clang-format off
constexpr ReadoutText kReadoutTexts[] = {
    //% "Date and time"
    {RVReadout::Time, "time", "CLIP_READOUT_TIME"},
    //% "Speed"
    {RVReadout::Speed, "speed", "CLIP_READOUT_SPEED"},
    //% "Position"
    {RVReadout::Position, "position", "CLIP_READOUT_POSITION"},
    //% "Heading"
    {RVReadout::Heading, "heading", "CLIP_READOUT_HEADING"},
    //% "Map"
    {RVReadout::Map, "map", "CLIP_READOUT_MAP"},
    //% "Acceleration"
    {RVReadout::Acceleration, "acceleration", "CLIP_READOUT_ACCELERATION"},
};
// clang-format on

QString layoutText(RVClipLayout layout)
{
    switch (layout) {
    case RVClipLayout::Front:
        //% "Front camera only"
        return qtTrId("CLIP_LAYOUT_FRONT");
    case RVClipLayout::Rear:
        //% "Rear camera only"
        return qtTrId("CLIP_LAYOUT_REAR");
    case RVClipLayout::PictureInPicture:
        //% "Picture in picture"
        return qtTrId("CLIP_LAYOUT_PIP");
    case RVClipLayout::SideBySide:
        //% "Side by side"
        return qtTrId("CLIP_LAYOUT_SIDE");
    case RVClipLayout::Grid:
        //% "Grid of all cameras"
        return qtTrId("CLIP_LAYOUT_GRID");
    }
    return {};
}

const char* qualityKey(RVClipQuality quality)
{
    switch (quality) {
    case RVClipQuality::Original:
        return "original";
    case RVClipQuality::Full1080:
        return "1080p";
    case RVClipQuality::Hd720:
        return "720p";
    }
    return "original";
}

} // namespace

RVClipDialog::RVClipDialog(Setup setup, QWidget* parent)
    : QDialog(parent), m_setup(std::move(setup))
{
    setObjectName(QStringLiteral("clipDialog"));
    //% "Export Clip"
    setWindowTitle(qtTrId("CLIP_DIALOG_TITLE"));
    auto* form = new QFormLayout;

    m_range = new QComboBox(this);
    m_range->setObjectName(QStringLiteral("clipRange"));
    for (const RVClipPlan::Range& range : m_setup.ranges)
        m_range->addItem(range.label);
    //% "Range:"
    form->addRow(qtTrId("CLIP_RANGE_LABEL"), m_range);

    m_layout = new QComboBox(this);
    m_layout->setObjectName(QStringLiteral("clipLayout"));
    for (const RVClipLayout layout : m_setup.layouts) {
        m_layout->addItem(layoutText(layout), int(layout));
        if (layout == m_setup.layout)
            m_layout->setCurrentIndex(m_layout->count() - 1);
    }
    //% "Cameras:"
    form->addRow(qtTrId("CLIP_LAYOUT_LABEL"), m_layout);

    // Read-outs: time and speed until the user chooses, so the clip stands on its own.
    const QString stored = RVSettings::textValue(RVSettings::kClipReadouts);
    const QStringList chosen = stored.isNull()
                                   ? QStringList{QStringLiteral("time"), QStringLiteral("speed")}
                                   : stored.split(QLatin1Char(','), Qt::SkipEmptyParts);
    auto* readoutBox = new QVBoxLayout;
    for (std::size_t i = 0; i < m_readouts.size(); ++i) {
        const ReadoutText& text = kReadoutTexts[i];
        m_readouts[i] = new QCheckBox(qtTrId(text.textId), this);
        m_readouts[i]->setObjectName(QStringLiteral("clipReadout_") + QLatin1String(text.key));
        m_readouts[i]->setChecked(chosen.contains(QLatin1String(text.key)));
        readoutBox->addWidget(m_readouts[i]);
        connect(m_readouts[i], &QCheckBox::toggled, this, &RVClipDialog::updateChoices);
    }
    //% "Burn in:"
    form->addRow(qtTrId("CLIP_READOUTS_LABEL"), readoutBox);

    m_quality = new QComboBox(this);
    m_quality->setObjectName(QStringLiteral("clipQuality"));
    //% "Quality:"
    form->addRow(qtTrId("CLIP_QUALITY_LABEL"), m_quality);

    //% "Sound"
    m_sound = new QCheckBox(qtTrId("CLIP_SOUND"), this);
    m_sound->setObjectName(QStringLiteral("clipSound"));
    m_sound->setChecked(!RVSettings::contains(RVSettings::kClipSound) ||
                        RVSettings::boolValue(RVSettings::kClipSound));
    form->addRow(QString(), m_sound);

    //% "Also save the clip's GPS track (GPX)"
    m_gpx = new QCheckBox(qtTrId("CLIP_GPX"), this);
    m_gpx->setObjectName(QStringLiteral("clipGpx"));
    m_gpx->setChecked(RVSettings::contains(RVSettings::kClipGpx) &&
                      RVSettings::boolValue(RVSettings::kClipGpx));
    form->addRow(QString(), m_gpx);

    m_folder = new QLineEdit(QDir::toNativeSeparators(RVSaveFolder::initial(
                                 RVSettings::kClipFolder, QStandardPaths::MoviesLocation)),
                             this);
    m_folder->setObjectName(QStringLiteral("clipFolder"));
    //% "Choose…"
    auto* choose = new QPushButton(qtTrId("CLIP_CHOOSE_FOLDER"), this);
    choose->setObjectName(QStringLiteral("clipChooseFolder"));
    connect(choose, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QString(), m_folder->text());
        if (!folder.isEmpty())
            m_folder->setText(QDir::toNativeSeparators(folder));
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(choose);
    //% "Save in:"
    form->addRow(qtTrId("CLIP_FOLDER_LABEL"), folderRow);

    m_name = new QLabel(this);
    m_name->setObjectName(QStringLiteral("clipName"));
    m_name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    //% "Name:"
    form->addRow(qtTrId("CLIP_NAME_LABEL"), m_name);

    m_unreadable = new QLabel(this);
    m_unreadable->setObjectName(QStringLiteral("clipUnreadable"));
    m_unreadable->setWordWrap(true);
    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("clipError"));
    m_error->setWordWrap(true);
    m_error->hide();

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    //% "Export"
    m_buttons->button(QDialogButtonBox::Ok)->setText(qtTrId("CLIP_EXPORT_BUTTON"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_unreadable);
    column->addWidget(m_error);
    column->addWidget(m_buttons);

    const QString quality = RVSettings::textValue(RVSettings::kClipQuality);
    for (const RVClipQuality q :
         {RVClipQuality::Original, RVClipQuality::Full1080, RVClipQuality::Hd720}) {
        if (quality == QLatin1String(qualityKey(q)))
            m_quality->setProperty("wanted", int(q));
    }
    connect(m_range, &QComboBox::currentIndexChanged, this, &RVClipDialog::updateChoices);
    connect(m_layout, &QComboBox::currentIndexChanged, this, &RVClipDialog::updateChoices);
    connect(m_quality, &QComboBox::activated, this,
            [this] { m_quality->setProperty("wanted", m_quality->currentData()); });
    connect(m_folder, &QLineEdit::textChanged, this, &RVClipDialog::updateChoices);
    updateChoices();
}

RVClipLayout RVClipDialog::layout() const
{
    return RVClipLayout(m_layout->currentData().toInt());
}

unsigned RVClipDialog::readouts() const
{
    unsigned set = 0;
    for (std::size_t i = 0; i < m_readouts.size(); ++i) {
        if (m_readouts[i]->isChecked())
            set |= unsigned(kReadoutTexts[i].readout);
    }
    return set;
}

void RVClipDialog::updateChoices()
{
    // "Original" only while nothing is drawn or composed: then the camera's video is copied.
    RVClipRequest probe;
    probe.layout = layout();
    probe.readouts = readouts();
    probe.quality = RVClipQuality::Original;
    const bool copies = RVClipExporter::copiesStream(probe);
    const QVariant wanted = m_quality->property("wanted");
    m_quality->clear();
    if (copies)
        //% "Original (copied, not re-encoded)"
        m_quality->addItem(qtTrId("CLIP_QUALITY_ORIGINAL"), int(RVClipQuality::Original));
    //% "1080p"
    m_quality->addItem(qtTrId("CLIP_QUALITY_1080"), int(RVClipQuality::Full1080));
    //% "720p"
    m_quality->addItem(qtTrId("CLIP_QUALITY_720"), int(RVClipQuality::Hd720));
    const int index = wanted.isValid() ? m_quality->findData(wanted.toInt()) : 0;
    m_quality->setCurrentIndex(index >= 0 ? index : 0);

    const RVClipPlan::Range& range =
        m_setup.ranges[std::size_t(std::max(0, m_range->currentIndex()))];
    const QDateTime start = m_setup.cameraStart.addMSecs(std::llround(range.fromSeconds * 1000));
    m_name->setText(QFileInfo(request().outputPath).fileName());
    m_name->setToolTip(start.toString(Qt::ISODate));
    if (range.unreadable.isEmpty()) {
        m_unreadable->hide();
    } else {
        //% "These files cannot be read and are left out: %1"
        m_unreadable->setText(withDetail(qtTrId("CLIP_UNREADABLE_FILES"),
                                         range.unreadable.join(QLatin1String(", "))));
        m_unreadable->show();
    }
}

RVClipRequest RVClipDialog::request() const
{
    RVClipRequest request;
    const RVClipPlan::Range& range =
        m_setup.ranges[std::size_t(std::max(0, m_range->currentIndex()))];
    request.fromSeconds = range.fromSeconds;
    request.toSeconds = range.toSeconds;
    request.layout = layout();
    request.readouts = readouts();
    request.quality = RVClipQuality(m_quality->currentData().toInt());
    request.sound = m_sound->isChecked();
    request.gpx = m_gpx->isChecked();
    const QDateTime start = m_setup.cameraStart.addMSecs(std::llround(range.fromSeconds * 1000));
    request.outputPath =
        RVClipExporter::freePath(QDir::fromNativeSeparators(m_folder->text().trimmed()),
                                 RVClipExporter::clipFileName(m_setup.tripName, start));
    return request;
}

void RVClipDialog::accept()
{
    const QString folder = QDir::fromNativeSeparators(m_folder->text().trimmed());
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isWritable()) {
        //% "The folder \"%1\" does not exist or cannot be written to. Choose another one."
        m_error->setText(
            withDetail(qtTrId("CLIP_FOLDER_UNUSABLE"), QDir::toNativeSeparators(folder)));
        m_error->show();
        return;
    }
    QStringList keys;
    for (std::size_t i = 0; i < m_readouts.size(); ++i) {
        if (m_readouts[i]->isChecked())
            keys << QLatin1String(kReadoutTexts[i].key);
    }
    RVSettings::setText(RVSettings::kClipReadouts, keys.join(QLatin1Char(',')));
    RVSettings::setText(RVSettings::kClipQuality,
                        QLatin1String(qualityKey(RVClipQuality(m_quality->currentData().toInt()))));
    RVSettings::setBool(RVSettings::kClipSound, m_sound->isChecked());
    RVSettings::setBool(RVSettings::kClipGpx, m_gpx->isChecked());
    RVSettings::setText(RVSettings::kClipFolder, info.absoluteFilePath());
    QDialog::accept();
}
