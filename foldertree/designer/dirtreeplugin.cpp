// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "dirtreeplugin.h"

#include <DirTree/dirtree.h>

#include <QIcon>

using namespace Qt::Literals::StringLiterals;

namespace Cantorel {

DirTreePlugin::DirTreePlugin(QObject* parent) : QObject(parent) { }

QString DirTreePlugin::name() const { return u"Cantorel::DirTree"_s; }

QString DirTreePlugin::group() const { return u"DirTree"_s; }

QString DirTreePlugin::toolTip() const { return u"Folder tree: the drives and their folders"_s; }

QString DirTreePlugin::whatsThis() const
{
    return u"Shows the machine's drives and folders as a tree, read one level at a time. "
           u"Call GoList() to fill it, handle Click() and read path() or nativePath(), or bind "
           u"the property currentPath (setCurrentPath(), currentPathChanged())."_s;
}

QString DirTreePlugin::includeFile() const { return u"<DirTree/dirtree.h>"_s; }

QIcon DirTreePlugin::icon() const
{
    // The control's own picture of an open folder, built into the library.
    return QIcon(u":/foldertree/tree/open.png"_s);
}

bool DirTreePlugin::isContainer() const { return false; }

QWidget* DirTreePlugin::createWidget(QWidget* parent) { return new DirTree(parent); }

bool DirTreePlugin::isInitialized() const { return m_initialized; }

void DirTreePlugin::initialize(QDesignerFormEditorInterface*) { m_initialized = true; }

QString DirTreePlugin::domXml() const
{
    return uR"(<ui language="c++">
  <widget class="Cantorel::DirTree" name="dirTree">
    <property name="geometry">
      <rect><x>0</x><y>0</y><width>433</width><height>348</height></rect>
    </property>
  </widget>
</ui>
)"_s;
}

} // namespace Cantorel
