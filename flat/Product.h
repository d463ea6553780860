#pragma once
// What both programs show of the product: its name, web site, picture and the Song face
// their windows are set in.
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>

QString ProductName();   // "Tarnwell汽修管理系统"
QString ProductHomePage();
// The product's picture at size × size pixels, drawn rather than loaded: the programs have no
// picture files of their own.
QPixmap ProductPicture(int size);
QIcon ProductIcon();   // the picture at the usual icon sizes
QFont SongFont(int pixels);   // "宋体" at a pixel size
QFont SongPointFont(int points);   // "宋体" at a point size (the toolbar's 9 points)
