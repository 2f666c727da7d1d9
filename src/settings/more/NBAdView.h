#pragma once

#include <QWidget>

#include <optional>

#include "app/HHAdModel.h"

class QLabel;

// The banner of the more page's header: the advertisement shown and its picture, rounded. A
// click hands the advertisement to the nearest screen that acts on banners.
class NBAdView : public QWidget
{
    Q_OBJECT
public:
    explicit NBAdView(QWidget *parent = nullptr);

    const std::optional<HHAdModel> &model() const { return m_model; }
    QLabel *adImgView() const { return m_adImgView; }
    void setAdvertisement(const HHAdModel &model, const QImage &image);
    void click();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void paintImage();

    std::optional<HHAdModel> m_model;
    QImage m_image;
    QLabel *m_adImgView = nullptr;
};
