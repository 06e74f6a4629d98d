#include "ui/GridCommands.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>

namespace tamvel::ui {

namespace {

class GridCommandFilter : public QObject
{
public:
    GridCommandFilter(QAbstractItemView *view, GridCommands commands)
        : QObject(view), m_view(view), m_commands(std::move(commands)),
          m_hint(new QLabel(emptyGridHint(), view->viewport()))
    {
        m_hint->setObjectName(QStringLiteral("lblPrazdny"));
        m_hint->setAlignment(Qt::AlignCenter);
        m_hint->setWordWrap(true);
        m_hint->setForegroundRole(QPalette::PlaceholderText);
        // Clicks reach the grid (its popup included) through the hint.
        m_hint->setAttribute(Qt::WA_TransparentForMouseEvents);
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        QObject::connect(view, &QAbstractItemView::doubleClicked, this,
                         [this](const QModelIndex &index) {
                             if (index.isValid() && m_commands.open)
                                 m_commands.open();
                         });
        if (QAbstractItemModel *model = view->model()) {
            const auto update = [this] { updateHint(); };
            connect(model, &QAbstractItemModel::modelReset, this, update);
            connect(model, &QAbstractItemModel::rowsInserted, this, update);
            connect(model, &QAbstractItemModel::rowsRemoved, this, update);
            connect(model, &QAbstractItemModel::layoutChanged, this, update);
        }
        updateHint();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_view->viewport()) {
            if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
                updateHint();
            return false;
        }
        if (watched != m_view || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        const bool onRow = m_view->currentIndex().isValid();
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return run(onRow ? m_commands.open : nullptr);
        case Qt::Key_Insert:
            return run(m_commands.insert);
        case Qt::Key_Delete:
            return run(onRow ? m_commands.remove : nullptr);
        default:
            return false;
        }
    }

private:
    static bool run(const std::function<void()> &command)
    {
        if (!command)
            return false;
        command();
        return true;
    }

    void updateHint()
    {
        // A list widget clears its model while it is destroyed, after its viewport and the
        // hint on it are gone.
        if (!m_hint)
            return;
        const QAbstractItemModel *model = m_view->model();
        const bool empty = !model || model->rowCount(m_view->rootIndex()) == 0;
        m_hint->setGeometry(m_view->viewport()->rect().adjusted(8, 8, -8, -8));
        m_hint->setVisible(empty);
    }

    QAbstractItemView *m_view;
    GridCommands m_commands;
    QPointer<QLabel> m_hint;
};

} // namespace

void installGridCommands(QAbstractItemView *view, GridCommands commands)
{
    new GridCommandFilter(view, std::move(commands));
}

QString emptyGridHint()
{
    return QStringLiteral("Seznam je prázdný – nový záznam přidáte klávesou Insert nebo pravým "
                          "tlačítkem myši.");
}

} // namespace tamvel::ui
