#pragma once

#include <QWidget>

class AssetImageView;

// A header with the logo centred. Nothing in the running home screen creates it.
class NBHomeHeaderView : public QWidget
{
    Q_OBJECT

public:
    explicit NBHomeHeaderView(QWidget *parent = nullptr);
    AssetImageView *imgView() const { return m_imgView; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    AssetImageView *m_imgView = nullptr;
};
