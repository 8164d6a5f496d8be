#pragma once

// The Qt widget classes that form headers name only through pointers, declared once here the
// way <iosfwd> declares the streams: a header that holds a form's controls includes this
// instead of repeating the list or pulling in the widgets' own headers.

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTabWidget;
class QTextEdit;
class QToolButton;
class QWidget;
