#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// Preferences' time servers as data: the rows the list shows, the default's number, what
// each server measured, and which measurement is under way. The dialog draws it into its
// list; Find Best chooses from its numbers, whatever the list shows.
class ServerTable {
public:
    struct Row {
        std::string title;
        std::string address;
        std::optional<double> delay; // seconds, once measured
        bool failed = false;         // asked and no usable answer, or not askable
    };

    // From the encoded list. An entry without an address has no row but keeps its number,
    // which the default's number counts in.
    explicit ServerTable(std::string_view encodedList);
    // The rows and the default's number, which names a row now.
    std::string Encoded() const;

    const std::vector<Row>& Rows() const { return m_rows; }
    // The address the default's number named when the list was read; nothing when none.
    const std::optional<std::string>& DefaultAddressAtStart() const { return m_defaultAtStart; }

    bool CanAdd() const;
    void Add(std::string title, std::string address);
    // The default keeps its number: it then names the row that moved up into its place.
    void Delete(int row);
    void SetDefault(int row);

    // --- measuring: one server at a time, by Test or by Find Best ------------------------
    // A server is being asked.
    bool Asking() const { return m_measured.has_value(); }
    // By Test, or by Find Best from its start to its choice.
    bool Measuring() const { return Asking() || m_findingBest; }
    // The row whose server is being asked.
    std::optional<int> MeasuredRow() const { return m_measured; }
    void BeginTest(int row);
    // Forgets every earlier measurement; the rows are then measured in order.
    void BeginFindBest();
    // Find Best's next row to ask, after the previous one ended; nothing when all were asked.
    std::optional<int> NextToFind() const;
    void BeginFinding(int row);
    void Measured(double delay);
    void Failed();
    // The measurement ran out with no answer read in time: the row stays as it was.
    void Unanswered();
    // The end of Find Best: the row it chose, which becomes the default; nothing when no
    // server answered fast enough, and the default stays.
    std::optional<int> FinishFindBest();

private:
    std::vector<Row> m_rows;
    int m_defaultIndex = 0;
    std::optional<std::string> m_defaultAtStart;
    std::optional<int> m_measured;
    bool m_findingBest = false;
    int m_nextToFind = 0;
};

} // namespace hv
